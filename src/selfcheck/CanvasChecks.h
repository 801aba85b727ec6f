#pragma once
#include "Chain.h"

#include <QImage>
#include <QString>

class CanvasController;

// The third stage of the self-check: the canvas opened by the selecting stage is driven through
// arrows, comments, colours, sizes, boxes, redactions, selection, moving, flipping, duplicating,
// deleting and editing, then exported; the export's pixels and size are checked, the page is
// saved in the history and the reopen checks follow.
namespace Autopilot {

void canvasChecks(const Handover &handover);

// The export checks of that stage (its steps from the first export on), on the marked-up
// canvas; false when no picture came out (the run has then ended). E is the first export.
bool canvasExportChecks(CanvasController *canvas, QWidget *overlay, QImage &exported);

// The canvas's page as exported: the edit ended, the scene built and rendered with a 16 pt
// margin, at half size when the preferences ask for it.
QImage exportPicture(CanvasController *canvas);

} // namespace Autopilot
