#pragma once
// The top-level windows of a process as the X server has them, mapped or not, read on a
// connection of the test's own.
#include <QList>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdlib>

namespace ProcessWindows {

struct TopWindow
{
    xcb_window_t id = 0;
    QRect geometry;
    bool mapped = false;
    bool overrideRedirect = false; // pop-ups such as menus
};

inline QList<TopWindow> of(qint64 pid)
{
    QList<TopWindow> out;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return out;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *pidAtom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
    auto *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (pidAtom && tree) {
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            auto *prop = xcb_get_property_reply(
                c, xcb_get_property(c, 0, children[i], pidAtom->atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
            const bool ours = prop && xcb_get_property_value_length(prop) == 4
                              && *static_cast<const uint32_t *>(xcb_get_property_value(prop)) == uint32_t(pid);
            std::free(prop);
            if (!ours)
                continue;
            auto *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr);
            auto *a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
            if (g)
                out << TopWindow{children[i], QRect(g->x, g->y, g->width, g->height),
                                 a && a->map_state == XCB_MAP_STATE_VIEWABLE, a && a->override_redirect};
            std::free(g);
            std::free(a);
        }
    }
    std::free(tree);
    std::free(pidAtom);
    xcb_disconnect(c);
    return out;
}

} // namespace ProcessWindows
