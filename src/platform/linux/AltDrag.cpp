#include "platform/AltDrag.h"

#include <QProcess>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
std::optional<bool> overridden;
std::optional<bool> cached;

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : XCB_ATOM_NONE;
}

// The window manager's name from its check window, on a connection of our own; empty when no
// manager announces itself.
QString managerName()
{
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return {};
    xcb_connection_t *c = xcb_connect(display.constData(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return {};
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    QString name;
    Reply<xcb_get_property_reply_t> check(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (check && check->format == 32 && xcb_get_property_value_length(check.get()) >= 4) {
        const xcb_window_t w = *static_cast<const xcb_window_t *>(xcb_get_property_value(check.get()));
        Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"), 0, 256), nullptr));
        if (r && r->format == 8)
            name = QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(r.get())),
                                     xcb_get_property_value_length(r.get()));
        if (name.isEmpty())
            name = QStringLiteral("unnamed");
    }
    xcb_disconnect(c);
    return name;
}

std::optional<QString> gnomeModifier()
{
    QProcess p;
    p.start(QStringLiteral("gsettings"), {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.wm.preferences"),
                                          QStringLiteral("mouse-button-modifier")});
    if (!p.waitForStarted(1000) || !p.waitForFinished(2000) || p.exitStatus() != QProcess::NormalExit
        || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(200);
        return std::nullopt;
    }
    QString value = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (value.size() >= 2 && value.startsWith(u'\'') && value.endsWith(u'\''))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool isGnomeManager(const QString &manager)
{
    for (const char *name : {"GNOME Shell", "Mutter", "Metacity"})
        if (manager.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    return false;
}
} // namespace

namespace AltDrag {

bool takenBy(const QString &manager, const std::optional<QString> &gnomeModifier)
{
    if (manager.isEmpty())
        return false;
    if (isGnomeManager(manager) && gnomeModifier)
        return gnomeModifier->compare(QLatin1String("<Alt>"), Qt::CaseInsensitive) == 0;
    return true;
}

bool taken()
{
    if (overridden)
        return *overridden;
    if (!cached) {
        const QString manager = managerName();
        cached = takenBy(manager, isGnomeManager(manager) ? gnomeModifier() : std::nullopt);
    }
    return *cached;
}

void setOverride(std::optional<bool> on)
{
    overridden = on;
}

} // namespace AltDrag
