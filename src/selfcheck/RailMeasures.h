#pragma once
#include "canvas/CursorKind.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>

class CanvasController;
class OverlayView;
class QWidget;

// What the rail-columns stage works on and keeps from step to step, and the measures its checks
// rest on.
namespace Autopilot::RailMeasures {

struct Stage
{
    CanvasController *c = nullptr;
    OverlayView *host = nullptr;
    QString folder;
    double y = 0;              // every edge press and drag runs at this height (host points)
    QStringList rows0;         // the rail's rows when the stage began
    QStringList rows1;         // the rail's rows before the click in the third column
    QList<qint64> pictures0;   // each page's picture (its cache key, 0 for none) at the start
};

// The thumbnails lie on a grid of n columns of w points, centred in the rail, in rows.
bool grid(const CanvasController *c, int n, double w);
// The first shot of the page shown is wholly in view and lies between the rail and the scroll
// view's right edge.
bool clearOfRail(const CanvasController *c, const QWidget *host);
// The cursor the canvas shows over its rail's edge.
std::optional<CursorKind> edgeCursor(const CanvasController *c);
// The index in the rail's rows of the page shown; -1 when it is not there.
int railIndex(const CanvasController *c);

// Frames in host coordinates.
QRectF railFrame(const CanvasController *c, const QWidget *host);
QRectF edgeFrame(const CanvasController *c, const QWidget *host);
QRectF scrollFrame(const CanvasController *c, const QWidget *host);
// The room a window leaves the rail: host width, less the sidebar while it shows, less the
// canvas's own room.
double room(const QWidget *host);
// The pages' picture keys (0 for none), to tell a page picture made again.
QList<qint64> pictureKeys(const CanvasController *c);
// The name of a cursor kind, for details.
QString cursorName(std::optional<CursorKind> kind);

} // namespace Autopilot::RailMeasures
