#pragma once
#include "capture/OverlayViewHost.h"
#include "platform/ScreenInfo.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

class CanvasController;
class CaptureSession;
class OverlayView;
class OverlayWindow;

// How the later stages of the self-check open and close a canvas on the staged screen, and the
// plain click and typing they use on it.
namespace Autopilot {

struct Handover;

// The staged screen: one display of that size in points at the origin, as many pixels a point
// as the picture has over its width (1 for a null picture).
ScreenInfo stagedScreen(QSize points, const QImage &picture);

// A capture over one frozen frame (screen and picture), with no application that was in front
// before it, in the given mode (a further shot's parent gets it as its child first), shown and
// waiting for an area to be chosen.
CaptureSession *showCapture(const ScreenInfo &screen, const QImage &image, OverlayViewHost::Mode mode,
                            CaptureSession *parent = nullptr);
// showCapture, then, when it has an overlay, the rect (points of the overlay, origin top left)
// chosen on its first overlay: in canvas mode that overlay turns into the canvas window; a
// further shot becomes a page of the parent's canvas. The session ends through closeCanvas (or
// its own Escape); until then it lives on, owned by its parent or by no one.
CaptureSession *openCanvas(const ScreenInfo &screen, const QImage &image, const QRectF &rect,
                           OverlayViewHost::Mode mode = OverlayViewHost::Mode::Canvas,
                           CaptureSession *parent = nullptr);
// A canvas of the hand-over's staged picture on its staged screen, with the rect chosen.
CaptureSession *openCanvas(const Handover &handover, const QRectF &rect);
// Closes a staged capture the way Escape closes it: a further shot hides its overlays and
// brings its parent's canvas forward; any other ends, writing its pages to the history at once.
// Nothing for no session.
void closeCanvas(CaptureSession *session);

// The canvas of a session: its active view's controller; none when either is missing.
CanvasController *canvasOf(const CaptureSession *session);
// The overlay view that holds the canvas (the content of its window); none when it is gone.
OverlayView *canvasHost(const CanvasController *controller);

// A plain click at p (document coordinates): press and release, no modifier flags, one click.
void click(CanvasController *controller, QPointF p);
// Types text at the insertion point of the comment being edited, as keystrokes would; nothing
// when no comment is being edited.
void type(CanvasController *controller, const QString &text);

} // namespace Autopilot
