#include "platform/linux/X11Monitors.h"

#include <xcb/randr.h>

#include <cstdlib>

namespace X11Monitors {

static QString atomName(xcb_connection_t *conn, xcb_atom_t atom)
{
    xcb_get_atom_name_reply_t *r = xcb_get_atom_name_reply(conn, xcb_get_atom_name(conn, atom), nullptr);
    if (!r)
        return {};
    const QString name = QString::fromUtf8(xcb_get_atom_name_name(r), xcb_get_atom_name_name_length(r));
    free(r);
    return name;
}

QList<X11Monitor> list(xcb_connection_t *conn, xcb_screen_t *screen)
{
    QList<X11Monitor> monitors;
    xcb_randr_query_version_reply_t *version =
        xcb_randr_query_version_reply(conn, xcb_randr_query_version(conn, 1, 5), nullptr);
    const bool hasMonitors = version && (version->major_version > 1 || version->minor_version >= 5);
    free(version);
    if (hasMonitors) {
        xcb_randr_get_monitors_reply_t *reply =
            xcb_randr_get_monitors_reply(conn, xcb_randr_get_monitors(conn, screen->root, 1), nullptr);
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t *m = it.data;
                X11Monitor monitor;
                monitor.id = m->nOutput > 0 ? xcb_randr_monitor_info_outputs(m)[0] : m->name;
                monitor.name = atomName(conn, m->name);
                monitor.rect = QRect(m->x, m->y, m->width, m->height);
                monitor.primary = m->primary;
                monitors.append(monitor);
            }
            free(reply);
        }
    }
    if (monitors.isEmpty())
        monitors.append({screen->root, QString(), QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels), true});
    return monitors;
}

} // namespace X11Monitors
