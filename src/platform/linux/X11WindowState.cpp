#include "platform/linux/X11WindowState.h"

#include "platform/linux/X11Props.h"

#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
constexpr quint32 netWmStateRemove = 0, netWmStateAdd = 1;
}

void X11WindowState::setSkipTaskbar(QWindow *window, bool skip)
{
    xcb_connection_t *c = X11Props::connection();
    if (!c || !window || !window->handle())
        return;
    const xcb_window_t w = xcb_window_t(window->winId());
    const xcb_atom_t state = X11Props::atom("_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = X11Props::atom("_NET_WM_STATE_SKIP_TASKBAR");
    // Once the window manager manages the window, the state is its to write: only ask it. Before
    // that, the state is the window's own property, read when the window is mapped. Writing it
    // on a mapped window too would race the manager's own writes.
    xcb_get_window_attributes_reply_t *attrs =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool mapped = attrs && attrs->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(attrs);
    QList<quint32> atoms = X11Props::values(w, state, XCB_ATOM_ATOM).value_or(QList<quint32>());
    if (!mapped && atoms.contains(skipTaskbar) != skip) {
        if (skip)
            atoms << skipTaskbar;
        else
            atoms.removeAll(skipTaskbar);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()),
                            atoms.constData());
    }
    const quint32 data[5] = {skip ? netWmStateAdd : netWmStateRemove, skipTaskbar, 0, 1, 0};
    X11Props::sendToRoot(w, state, data);
}

bool X11WindowState::skipsTaskbar(QWindow *window)
{
    if (!window || !window->handle())
        return false;
    const auto atoms = X11Props::values(xcb_window_t(window->winId()), X11Props::atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    return atoms && atoms->contains(X11Props::atom("_NET_WM_STATE_SKIP_TASKBAR"));
}
