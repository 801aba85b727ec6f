#include "platform/WindowFrame.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

std::optional<double> testHeight;
std::optional<double> cached;

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : XCB_ATOM_NONE;
}

std::optional<quint32> windowProperty(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property)
{
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32 *>(xcb_get_property_value(r.get()));
}

std::optional<quint32> frameTop(xcb_connection_t *c, xcb_window_t w, xcb_atom_t extents)
{
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 16)
        return std::nullopt;
    return static_cast<const quint32 *>(xcb_get_property_value(r.get()))[2];
}

// Asks the window manager, on a connection of our own, what frame it would give a normal
// window: an unmapped window of ours sends _NET_REQUEST_FRAME_EXTENTS and waits (at most half a
// second) for the answer to be set on it. The answer is in device pixels.
double askWindowManager()
{
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return 0;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(display.constData(), &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return 0;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    const xcb_screen_t *screen = it.data;
    double top = 0;
    const xcb_atom_t check = internAtom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    // Without a window manager (no supporting window), no frame.
    if (screen && windowProperty(c, screen->root, check)) {
        const xcb_window_t w = xcb_generate_id(c);
        const uint32_t mask = XCB_CW_EVENT_MASK;
        const uint32_t values[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values);
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = w;
        ev.type = request;
        xcb_send_event(c, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&ev));
        xcb_flush(c);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        std::optional<quint32> got;
        while (!got) {
            while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
                const bool answer = (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY
                                    && reinterpret_cast<xcb_property_notify_event_t *>(e)->atom == extents;
                std::free(e);
                if (answer)
                    got = frameTop(c, w, extents);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (got || left.count() <= 0)
                break;
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            if (::poll(&fd, 1, int(left.count())) <= 0)
                break;
        }
        if (!got)
            got = frameTop(c, w, extents);
        xcb_destroy_window(c, w);
        xcb_flush(c);
        if (got)
            top = *got;
    }
    xcb_disconnect(c);
    return top;
}
} // namespace

double WindowFrame::titleBarPixels()
{
    if (testHeight)
        return *testHeight;
    if (!cached)
        cached = QGuiApplication::platformName() == QLatin1String("xcb") ? askWindowManager() : 0.0;
    return *cached;
}

double WindowFrame::titleBarHeight(const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const double scale = screen ? screen->devicePixelRatio() : 1.0;
    return titleBarPixels() / (scale > 0 ? scale : 1.0);
}

void WindowFrame::setTitleBarHeightForTesting(std::optional<double> pixels)
{
    testHeight = pixels;
    if (!pixels)
        cached.reset();
}
