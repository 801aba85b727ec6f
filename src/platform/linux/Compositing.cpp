#include "platform/Compositing.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace Compositing {

bool isActive()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return true;
    const char name[] = "_NET_WM_CM_S0";
    auto *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    auto *owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool active = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return active;
}

} // namespace Compositing
