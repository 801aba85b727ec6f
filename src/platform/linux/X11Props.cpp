#include "platform/linux/X11Props.h"

#include <QGuiApplication>
#include <QHash>
#include <QMutex>

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

// The screen number that DISPLAY names (":1.2" names screen 2).
int defaultScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon < 0 ? 0 : colon);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}
} // namespace

xcb_connection_t *X11Props::connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t X11Props::root()
{
    xcb_connection_t *c = connection();
    if (!c)
        return 0;
    int wanted = defaultScreenNumber();
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    xcb_window_t first = it.rem ? it.data->root : 0;
    for (; it.rem; --wanted, xcb_screen_next(&it)) {
        if (wanted == 0)
            return it.data->root;
    }
    return first;
}

xcb_atom_t X11Props::atom(const char *name)
{
    static QMutex lock;
    static QHash<QByteArray, xcb_atom_t> cache;
    xcb_connection_t *c = connection();
    if (!c)
        return 0;
    QMutexLocker locker(&lock);
    const QByteArray key(name);
    if (auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    const xcb_atom_t result = reply ? reply->atom : 0;
    if (result)
        cache.insert(key, result);
    return result;
}

std::optional<QList<quint32>> X11Props::values(xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !property)
        return std::nullopt;
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1 << 16), nullptr));
    if (!reply || reply->type != type || reply->format != 32)
        return std::nullopt;
    const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return QList<quint32>(data, data + count);
}

std::optional<quint32> X11Props::value(xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const auto all = values(window, property, type);
    if (!all || all->isEmpty())
        return std::nullopt;
    return all->first();
}

std::optional<QByteArray> X11Props::bytes(xcb_window_t window, xcb_atom_t property)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !property)
        return std::nullopt;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 14), nullptr));
    if (!reply || reply->type == XCB_NONE || reply->format != 8)
        return std::nullopt;
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

void X11Props::sendToRoot(xcb_window_t window, xcb_atom_t type, const quint32 (&data)[5])
{
    xcb_connection_t *c = connection();
    if (!c)
        return;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (int i = 0; i < 5; ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(c, 0, root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

// The time stamp of a property change on a window of our own, as window managers expect of
// requests made on the user's behalf.
quint32 X11Props::serverTime()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return XCB_CURRENT_TIME;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    quint32 time = XCB_CURRENT_TIME;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        if (found)
            time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
        std::free(event);
        if (found)
            break;
    }
    xcb_destroy_window(c, w);
    xcb_disconnect(c);
    return time;
}
