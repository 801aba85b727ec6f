#include "platform/linux/X11WindowList.h"

#include "platform/linux/X11ClientWindows.h"
#include "platform/linux/X11Props.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
int layerOf(xcb_window_t w)
{
    const QList<quint32> types =
        X11Props::values(w, X11Props::atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM).value_or(QList<quint32>());
    if (types.contains(X11Props::atom("_NET_WM_WINDOW_TYPE_DESKTOP")))
        return -1;
    if (types.contains(X11Props::atom("_NET_WM_WINDOW_TYPE_DOCK")))
        return 20;
    if (types.contains(X11Props::atom("_NET_WM_WINDOW_TYPE_NOTIFICATION")))
        return 25;
    const QList<quint32> states =
        X11Props::values(w, X11Props::atom("_NET_WM_STATE"), XCB_ATOM_ATOM).value_or(QList<quint32>());
    if (states.contains(X11Props::atom("_NET_WM_STATE_ABOVE")))
        return 3;
    if (states.contains(X11Props::atom("_NET_WM_STATE_BELOW")))
        return -2;
    return 0;
}

bool isHidden(xcb_window_t w)
{
    const QList<quint32> states =
        X11Props::values(w, X11Props::atom("_NET_WM_STATE"), XCB_ATOM_ATOM).value_or(QList<quint32>());
    return states.contains(X11Props::atom("_NET_WM_STATE_HIDDEN"));
}
} // namespace

QRectF X11WindowList::toPoints(const QRect &pixels)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *screen = screens.isEmpty() ? nullptr : screens.first();
    for (QScreen *s : screens) {
        const QRect native(s->geometry().topLeft(), s->geometry().size() * s->devicePixelRatio());
        if (native.contains(pixels.center())) {
            screen = s;
            break;
        }
    }
    if (!screen)
        return QRectF(pixels);
    const double ratio = screen->devicePixelRatio();
    const QPointF origin = screen->geometry().topLeft();
    return QRectF(origin + (QPointF(pixels.topLeft()) - origin) / ratio, QSizeF(pixels.size()) / ratio);
}

QList<WindowListEntry> X11WindowList::onScreenWindows()
{
    QList<WindowListEntry> result;
    xcb_connection_t *c = X11Props::connection();
    const xcb_window_t root = X11Props::root();
    if (!c || !root)
        return result;
    for (const ScreenWindow &window : X11ClientWindows::list(c, root)) {
        if (isHidden(window.id))
            continue;
        WindowListEntry entry;
        entry.number = window.id;
        entry.bounds = toPoints(window.frame);
        entry.layer = layerOf(window.id);
        entry.pid = window.pid;
        if (const auto opacity = X11Props::value(window.id, X11Props::atom("_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL))
            entry.alpha = double(*opacity) / 0xffffffffu;
        result << entry;
    }
    return result;
}
