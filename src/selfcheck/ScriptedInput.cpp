#include "ScriptedInput.h"

#include "Autopilot.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "platform/KeyTable.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace Autopilot {

StagedOverlay stageOverlay(const QImage &picture, int width, int height)
{
    auto *view = new OverlayView(QSize(width, height), picture);
    auto *window = new OverlayWindow(QRect(0, 0, width, height));
    window->setContentView(view);
    keepAlive().append(view);
    keepAlive().append(window);
    return {view, window};
}

void drag(const DragReceiver &receiver, QPointF from, QPointF to, quint64 flags)
{
    const Qt::KeyboardModifiers mods = KeyTable::qtFromFlags(flags);
    constexpr int steps = 12;
    receiver.down(mods, 1, from);
    for (int k = 1; k <= steps; ++k)
        receiver.dragged(mods, k == steps ? to : from + (to - from) * (double(k) / steps));
    receiver.up(mods, to);
}

void drag(CanvasController *controller, QPointF from, QPointF to, quint64 flags)
{
    drag(DragReceiver{
             [controller](Qt::KeyboardModifiers m, int clicks, QPointF p) { controller->mouseDown(m, clicks, p); },
             [controller](Qt::KeyboardModifiers m, QPointF p) { controller->mouseDragged(m, p); },
             [controller](Qt::KeyboardModifiers m, QPointF p) { controller->mouseUp(m, p); },
         },
         from, to, flags);
}

std::unique_ptr<QKeyEvent> keyEvent(int keyCode, const QString &characters, quint64 flags, QEvent::Type type)
{
    bool keypad = false;
    const int key = KeyTable::toQtKey(keyCode, &keypad).value_or(Qt::Key_unknown);
    Qt::KeyboardModifiers mods = KeyTable::qtFromFlags(flags);
    if (keypad)
        mods |= Qt::KeypadModifier;
    QString text;
    for (const QChar c : characters)
        if (c.unicode() < 0xF700 || c.unicode() > 0xF8FF)
            text += c;
    return std::make_unique<QKeyEvent>(type, key, mods, text, false, 1);
}

QWidget *widgetAt(QWidget *host, QPointF point)
{
    QWidget *hit = host->childAt(point.toPoint());
    return hit ? hit : host;
}

void sendMouse(QWidget *target, QWidget *host, QEvent::Type type, QPointF point, quint64 flags,
               Qt::MouseButton button)
{
    const QPointF global = host->mapToGlobal(point);
    const QPointF local = target->mapFromGlobal(global);
    const bool holds = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
                       || (type == QEvent::MouseMove && button != Qt::NoButton);
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    QMouseEvent event(type, local, global, changed, holds ? Qt::MouseButtons(button) : Qt::NoButton,
                      KeyTable::qtFromFlags(flags));
    QCoreApplication::sendEvent(target, &event);
}

QWidget *sendMouse(QWidget *host, QEvent::Type type, QPointF point, quint64 flags, Qt::MouseButton button)
{
    QWidget *target = widgetAt(host, point);
    sendMouse(target, host, type, point, flags, button);
    return target;
}

} // namespace Autopilot
