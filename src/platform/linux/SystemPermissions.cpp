#include "SystemPermissions.h"

#include <QGuiApplication>
#include <QAudioDevice>
#include <QMediaDevices>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace {
std::shared_ptr<Permissions> &instance()
{
    static std::shared_ptr<Permissions> shared;
    return shared;
}

xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Runs work on Qt's own connection, or on a connection of our own when Qt does not use X11
// (the offscreen platform of tests, a Wayland session's XWayland).
template<class Work>
bool withConnection(Work work)
{
    if (xcb_connection_t *c = qtConnection())
        return work(c);
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(c) && work(c);
    xcb_disconnect(c);
    return ok;
}
} // namespace

Permissions &Permissions::shared()
{
    if (!instance())
        instance() = std::make_shared<SystemPermissions>();
    return *instance();
}

void Permissions::setShared(std::shared_ptr<Permissions> replacement)
{
    instance() = std::move(replacement);
}

QString Permissions::waylandReason()
{
    return QStringLiteral("This is a Wayland session: Quillet™ can capture only an X11 session.");
}

QString Permissions::noXTestReason()
{
    return QStringLiteral("The X server has no XTEST extension.");
}

QString Permissions::noMicrophoneReason()
{
    return QStringLiteral("No microphone found.");
}

bool SystemPermissions::isWaylandSession()
{
    const QByteArray session = qgetenv("XDG_SESSION_TYPE").toLower();
    return session == "wayland" || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

Permissions::Answer SystemPermissions::screen()
{
    if (isWaylandSession())
        return {false, waylandReason()};
    const bool works = withConnection([](xcb_connection_t *c) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        if (!screen)
            return false;
        xcb_get_image_reply_t *reply = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, 1, 1, ~0u),
            nullptr);
        std::free(reply);
        return reply != nullptr;
    });
    if (works)
        return {true, {}};
    return {false, QStringLiteral("The X display cannot be read.")};
}

Permissions::Answer SystemPermissions::access()
{
    const bool present = withConnection([](xcb_connection_t *c) {
        const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_test_id);
        return ext && ext->present;
    });
    if (present)
        return {true, {}};
    return {false, noXTestReason()};
}

Permissions::Answer SystemPermissions::microphone()
{
    if (!QMediaDevices::audioInputs().isEmpty())
        return {true, {}};
    return {false, noMicrophoneReason()};
}
