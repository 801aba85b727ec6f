#include "platform/PointerPosition.h"

#include "platform/linux/X11Props.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>

QPointF PointerPosition::fromDevicePixels(QPointF pixels)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const double scale = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
        const QRectF device(g.topLeft(), QSizeF(g.size()) * scale);
        if (device.contains(pixels))
            return QPointF(g.topLeft()) + (pixels - QPointF(g.topLeft())) / scale;
    }
    return pixels;
}

QPointF PointerPosition::global()
{
    xcb_connection_t *c = X11Props::connection();
    if (!c)
        return QCursor::pos();
    xcb_query_pointer_reply_t *reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, X11Props::root()), nullptr);
    if (!reply)
        return QCursor::pos();
    const QPointF pixels(reply->root_x, reply->root_y);
    std::free(reply);
    return fromDevicePixels(pixels);
}
