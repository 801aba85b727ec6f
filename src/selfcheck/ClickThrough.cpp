#include "ClickThrough.h"

#include "Detail.h"
#include "ScriptedInput.h"

#include <QPointer>
#include <QWidget>

namespace Autopilot {
namespace {
constexpr int dragSteps = 6;

// A widget is in a window when its top-level widget has a window of the platform's.
bool inWindow(const QWidget *view)
{
    return view && view->window()->windowHandle() != nullptr;
}
} // namespace

QWidget *hitTest(QWidget *view, QPointF point)
{
    if (!view || point.x() < 0 || point.y() < 0 || point.x() >= view->width() || point.y() >= view->height())
        return nullptr;
    QWidget *child = view->childAt(point.toPoint());
    return child ? child : view;
}

QWidget *clickThrough(QWidget *view, QPointF start, QPointF end, bool click)
{
    const QPointer<QWidget> host = view;
    const QPointer<QWidget> hit = hitTest(view, start);
    if (!hit || !inWindow(view))
        return nullptr;
    sendMouse(hit, view, QEvent::MouseButtonPress, start);
    if (click)
        end = start;
    else
        for (int i = 1; i <= dragSteps; ++i) {
            // What the press did may have taken the widget out of its window (or away).
            if (!hit || !host || !inWindow(hit))
                continue;
            const QPointF at = i == dragSteps ? end : start + (end - start) * (double(i) / dragSteps);
            sendMouse(hit, host, QEvent::MouseMove, at);
        }
    if (hit && host)
        sendMouse(hit, host, QEvent::MouseButtonRelease, end);
    return hit;
}

QString describe(const QWidget *widget)
{
    if (!widget)
        return QStringLiteral("none");
    QString out = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        out += QLatin1Char(' ') + Detail::quoted(widget->objectName());
    return out + QLatin1Char(' ') + Detail::text(QRectF(widget->geometry()));
}

} // namespace Autopilot
