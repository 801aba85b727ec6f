#pragma once
#include <QString>

class CanvasController;
class QWidget;

namespace Autopilot {
namespace RailMeasures {
struct Stage;
}

// The rail's width rules on an open canvas: one column with an edge to drag, the edge's press
// band and cursor, a drag that widens the rail point by point with columns coming one at a time,
// the remembered width, the canvas giving up the room, the edge's limits, a new canvas clear of a
// wider rail, arrow keys in a grid, narrow windows, the column menus, pinching, and the drag back
// to one column; pictures "8b" to "8e". The rail is reset to one column at the end.
void railColumns(CanvasController *controller, QWidget *host, const QString &folder);

// Its parts, in order (each runs alone in its test):
// steps 2–19: the edge, the drag to three columns, the limits and a new canvas's layout;
void railEdgeSteps(RailMeasures::Stage &stage);
// steps 20–27: arrow keys in the grid, a click in the third column, narrow windows and menus;
void railGridSteps(RailMeasures::Stage &stage);
// steps 28–34: pinching, the drag back to one column and the reset.
void railPinchSteps(RailMeasures::Stage &stage);

} // namespace Autopilot
