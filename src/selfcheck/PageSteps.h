#pragma once
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

class CanvasController;
class RailThumb;
class QWidget;

// Small steps and read-outs the page and rail stages of the self-check share.
namespace Autopilot::PageSteps {

// Shows page index as a user's switch does (the current page saved first); nothing when it is
// already shown.
void show(CanvasController *controller, int index);
// A key-down (key code, characters, event flags) handed straight to the canvas.
bool key(CanvasController *controller, int code, const QString &characters = {}, quint64 flags = 0);

// A picture's width over its height (a height below 2 counts as 1); 0 for none.
double aspect(const std::optional<QImage> &picture);
// The page thumbnails of the rail, in page order.
QList<RailThumb *> pageThumbs(const CanvasController *controller);
// The indexes in the rail's order of the thumbnails that show their ring, rising.
QList<int> ringed(const CanvasController *controller);
// How many thumbnails are marked as picked or as the open page: with nothing picked the open
// page's thumbnail alone is (its accent label stands for the ring).
int marked(const CanvasController *controller);
// The pages' capture dates in page order.
QList<QDateTime> pageDates(const CanvasController *controller);
// Whether the dates are newest first.
bool newestFirst(const QList<QDateTime> &dates);
// Whether the host view lies in a window of its own making (not a top-level view by itself).
bool hasWindow(const QWidget *host);
// A widget's frame in host coordinates.
QRectF frameIn(const QWidget *widget, const QWidget *host);
// The picture of the host as laid out: the rail's thumbnails drawn where their glides and fades
// end (those leaving gone), as they stand once the animations have run; nothing in a stage waits
// for them.
void writeSettledPicture(const CanvasController *controller, QWidget *host, const QString &name);
// The first shot of the page shown, in host coordinates.
QRectF shotInHost(const CanvasController *controller);

} // namespace Autopilot::PageSteps
