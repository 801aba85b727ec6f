#include "platform/linux/X11FrontApplication.h"

#include "platform/AppRegistry.h"
#include "platform/ProcessTree.h"
#include "platform/linux/X11Props.h"

#include <QCoreApplication>

#include <xcb/screensaver.h>
#include <xcb/sync.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace {
struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr double unknownIdle = std::numeric_limits<double>::max();

std::optional<double> screenSaverIdle(xcb_connection_t *c, xcb_window_t root)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_screensaver_id);
    if (!ext || !ext->present)
        return std::nullopt;
    Reply<xcb_screensaver_query_info_reply_t> info(
        xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, root), nullptr));
    if (!info)
        return std::nullopt;
    return info->ms_since_user_input / 1000.0;
}

std::optional<double> syncIdle(xcb_connection_t *c)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_sync_id);
    if (!ext || !ext->present)
        return std::nullopt;
    Reply<xcb_sync_initialize_reply_t> init(xcb_sync_initialize_reply(c, xcb_sync_initialize(c, 3, 1), nullptr));
    if (!init)
        return std::nullopt;
    Reply<xcb_sync_list_system_counters_reply_t> list(
        xcb_sync_list_system_counters_reply(c, xcb_sync_list_system_counters(c), nullptr));
    if (!list)
        return std::nullopt;
    xcb_sync_systemcounter_iterator_t it = xcb_sync_list_system_counters_counters_iterator(list.get());
    for (; it.rem; xcb_sync_systemcounter_next(&it)) {
        const char *name = xcb_sync_systemcounter_name(it.data);
        const int length = xcb_sync_systemcounter_name_length(it.data);
        if (length != 8 || std::memcmp(name, "IDLETIME", 8) != 0)
            continue;
        Reply<xcb_sync_query_counter_reply_t> value(
            xcb_sync_query_counter_reply(c, xcb_sync_query_counter(c, it.data->counter), nullptr));
        if (!value)
            return std::nullopt;
        const qint64 ms = (qint64(value->counter_value.hi) << 32) | value->counter_value.lo;
        return ms / 1000.0;
    }
    return std::nullopt;
}
} // namespace

X11FrontApplication::X11FrontApplication() = default;

X11FrontApplication::~X11FrontApplication()
{
    if (m_watching && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::optional<RunningApp> X11FrontApplication::describe(quint32 window)
{
    xcb_connection_t *c = X11Props::connection();
    if (!c || !window)
        return std::nullopt;
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes)
        return std::nullopt;
    RunningApp app;
    app.window = window;
    app.pid = X11Props::value(window, X11Props::atom("_NET_WM_PID"), XCB_ATOM_CARDINAL).value_or(0);
    const QByteArray wmClass = X11Props::bytes(window, XCB_ATOM_WM_CLASS).value_or(QByteArray());
    const QList<QByteArray> parts = wmClass.split('\0');
    WindowClass seen;
    seen.instance = QString::fromLocal8Bit(parts.value(0));
    seen.className = QString::fromLocal8Bit(parts.value(1));
    for (const char *hint : {"_KDE_NET_WM_DESKTOP_FILE", "_GTK_APPLICATION_ID"}) {
        const QByteArray id = X11Props::bytes(window, X11Props::atom(hint)).value_or(QByteArray());
        if (!id.isEmpty()) {
            seen.desktopFile = QString::fromUtf8(id);
            break;
        }
    }
    if (const std::optional<InstalledApp> entry = AppRegistry::shared().forWindow(seen)) {
        app.name = entry->name;
        app.identifier = entry->id;
    } else {
        app.name = seen.className;
        app.identifier = seen.desktopFile.isEmpty() ? seen.instance : seen.desktopFile;
    }
    return app;
}

std::optional<RunningApp> X11FrontApplication::frontmost()
{
    const auto active = X11Props::value(X11Props::root(), X11Props::atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active || *active == 0)
        return std::nullopt;
    return describe(*active);
}

bool X11FrontApplication::activate(const RunningApp &app)
{
    if (!describe(app.window))
        return false;
    // Source 2: the request comes on the user's behalf, so window managers do not refuse it.
    const quint32 data[5] = {2, X11Props::serverTime(), 0, 0, 0};
    X11Props::sendToRoot(app.window, X11Props::atom("_NET_ACTIVE_WINDOW"), data);
    return true;
}

QList<RunningApp> X11FrontApplication::windowsOf(const QString &identifier)
{
    QList<RunningApp> windows;
    if (identifier.isEmpty())
        return windows;
    const auto list = X11Props::values(X11Props::root(), X11Props::atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    for (const quint32 window : list.value_or(QList<quint32>())) {
        const std::optional<RunningApp> app = describe(window);
        if (app && app->identifier.compare(identifier, Qt::CaseInsensitive) == 0)
            windows << *app;
    }
    return windows;
}

QList<RunningApp> X11FrontApplication::windowsOfProcess(qint64 pid)
{
    QList<RunningApp> windows;
    if (pid <= 0)
        return windows;
    const auto list = X11Props::values(X11Props::root(), X11Props::atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    for (const quint32 window : list.value_or(QList<quint32>())) {
        const std::optional<RunningApp> app = describe(window);
        if (app && ProcessTree::descendsFrom(app->pid, pid))
            windows << *app;
    }
    return windows;
}

double X11FrontApplication::secondsSinceLastInput()
{
    xcb_connection_t *c = X11Props::connection();
    if (!c)
        return unknownIdle;
    if (const auto idle = screenSaverIdle(c, X11Props::root()))
        return *idle;
    return syncIdle(c).value_or(unknownIdle);
}

void X11FrontApplication::startWatching()
{
    xcb_connection_t *c = X11Props::connection();
    if (m_watching || !c)
        return;
    m_watching = true;
    const xcb_window_t root = X11Props::root();
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
    const uint32_t mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    m_last = frontmost();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool X11FrontApplication::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
    if (notify->window == X11Props::root() && notify->atom == X11Props::atom("_NET_ACTIVE_WINDOW"))
        activeWindowChanged();
    return false;
}

// Reports a change of application, not of window: focus moving between two windows of one
// application is no news, and neither is a moment without an active window.
void X11FrontApplication::activeWindowChanged()
{
    const std::optional<RunningApp> now = frontmost();
    if (!now)
        return;
    const auto sameApp = [](const RunningApp &a, const RunningApp &b) {
        return a.pid && b.pid ? a.pid == b.pid : a.window == b.window;
    };
    if (m_last && sameApp(*now, *m_last))
        return;
    m_last = now;
    emit activated(now);
}
