#pragma once
#include <QEvent>
#include <QImage>
#include <QPointF>
#include <QString>
#include <Qt>

#include <functional>
#include <memory>

class CanvasController;
class OverlayView;
class OverlayWindow;
class QKeyEvent;
class QWidget;

// Scripted input of the self-check: every event is handed straight to the handler a real one
// would reach, at once, so the next statement of a stage already sees its effect. Modifier flags
// are the application's event flags (EventFlag: Shift, Option = Alt, Command = Ctrl).
namespace Autopilot {

struct StagedOverlay
{
    OverlayView *view = nullptr;
    OverlayWindow *window = nullptr;
};

// An overlay view over picture, width × height points (its pixel scale the picture's width over
// width), as the content of an overlay window over (0, 0, width, height). Both are kept alive to
// the end of the run; the window is not shown.
StagedOverlay stageOverlay(const QImage &picture, int width, int height);

// The receivers of a stepped drag; drag(controller, ...) hands it to the canvas's point-level
// handlers (document-view coordinates).
struct DragReceiver
{
    std::function<void(Qt::KeyboardModifiers flags, int clickCount, QPointF point)> down;
    std::function<void(Qt::KeyboardModifiers flags, QPointF point)> dragged;
    std::function<void(Qt::KeyboardModifiers flags, QPointF point)> up;
};
// A press at from, twelve evenly spaced drags of which the last lands exactly on to, and a
// release at to: fourteen calls with nothing in between.
void drag(const DragReceiver &receiver, QPointF from, QPointF to, quint64 flags = 0);
void drag(CanvasController *controller, QPointF from, QPointF to, quint64 flags = 0);

// A key event for a key code (KeyCode), its characters and event flags, as the keyboard would
// deliver it: the Qt key of the code, the flags as Qt modifiers (the keypad modifier for the
// keypad's keys), and the characters as its text, except function-key characters (the arrows'
// U+F700...), which a Qt key event does not carry. For CanvasController::keyDown or keyEquivalent,
// or sendEvent to a view.
std::unique_ptr<QKeyEvent> keyEvent(int keyCode, const QString &characters = {}, quint64 flags = 0,
                                    QEvent::Type type = QEvent::KeyPress);

// The widget a real press at point (host coordinates) reaches: the deepest child of host there
// that takes the mouse, else host.
QWidget *widgetAt(QWidget *host, QPointF point);
// A mouse event at point (host coordinates) sent to target (synchronously) in target's own
// coordinates. Press and drag events hold button; a move without a button is a plain move.
void sendMouse(QWidget *target, QWidget *host, QEvent::Type type, QPointF point, quint64 flags = 0,
               Qt::MouseButton button = Qt::LeftButton);
// The same, sent to the widget a real press at point reaches; answers that widget.
QWidget *sendMouse(QWidget *host, QEvent::Type type, QPointF point, quint64 flags = 0,
                   Qt::MouseButton button = Qt::LeftButton);

} // namespace Autopilot
