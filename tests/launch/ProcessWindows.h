#pragma once
// The top-level windows of a process as the X server has them, mapped or not, and those the
// window manager manages, read on a connection of the test's own.
#include <QList>
#include <QRect>
#include <QSet>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace ProcessWindows {

struct TopWindow
{
    xcb_window_t id = 0;
    QRect geometry;
    bool mapped = false;
    bool overrideRedirect = false; // pop-ups such as menus
};

namespace detail {
inline xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

inline bool ownedBy(xcb_connection_t *c, xcb_window_t w, xcb_atom_t pidAtom, qint64 pid)
{
    auto *prop = xcb_get_property_reply(c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    const bool ours = prop && xcb_get_property_value_length(prop) == 4
                      && *static_cast<const uint32_t *>(xcb_get_property_value(prop)) == uint32_t(pid);
    std::free(prop);
    return ours;
}

// Runs read(connection, root window, the _NET_WM_PID atom) on a connection of its own.
template<typename Result, typename Read>
Result onConnection(Read read)
{
    Result out;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
        if (pidAtom != XCB_ATOM_NONE)
            out = read(c, root, pidAtom);
    }
    xcb_disconnect(c);
    return out;
}
} // namespace detail

inline QList<TopWindow> of(qint64 pid)
{
    return detail::onConnection<QList<TopWindow>>([pid](xcb_connection_t *c, xcb_window_t root, xcb_atom_t pidAtom) {
        QList<TopWindow> out;
        auto *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
        if (!tree)
            return out;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            if (!detail::ownedBy(c, children[i], pidAtom, pid))
                continue;
            auto *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr);
            auto *a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
            if (g)
                out << TopWindow{children[i], QRect(g->x, g->y, g->width, g->height),
                                 a && a->map_state == XCB_MAP_STATE_VIEWABLE, a && a->override_redirect};
            std::free(g);
            std::free(a);
        }
        std::free(tree);
        return out;
    });
}

// The windows of a process in the window manager's client list that are mapped now.
inline QSet<xcb_window_t> managedShown(qint64 pid)
{
    return detail::onConnection<QSet<xcb_window_t>>([pid](xcb_connection_t *c, xcb_window_t root, xcb_atom_t pidAtom) {
        QSet<xcb_window_t> out;
        const xcb_atom_t list = detail::atom(c, "_NET_CLIENT_LIST");
        auto *clients =
            xcb_get_property_reply(c, xcb_get_property(c, 0, root, list, XCB_ATOM_WINDOW, 0, 1024), nullptr);
        const int n = clients ? xcb_get_property_value_length(clients) / 4 : 0;
        for (int i = 0; i < n; ++i) {
            const xcb_window_t w = static_cast<const xcb_window_t *>(xcb_get_property_value(clients))[i];
            auto *a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && detail::ownedBy(c, w, pidAtom, pid))
                out << w;
            std::free(a);
        }
        std::free(clients);
        return out;
    });
}

} // namespace ProcessWindows
