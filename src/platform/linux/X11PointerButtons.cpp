#include "platform/PointerButtons.h"

#include "platform/linux/X11Props.h"

#include <QGuiApplication>

#include <cstdlib>

bool PointerButtons::leftButtonDown()
{
    xcb_connection_t *c = X11Props::connection();
    if (!c)
        return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    xcb_query_pointer_reply_t *reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, X11Props::root()), nullptr);
    if (!reply)
        return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    const bool down = reply->mask & XCB_BUTTON_MASK_1;
    std::free(reply);
    return down;
}
