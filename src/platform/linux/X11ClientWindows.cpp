#include "platform/linux/X11ClientWindows.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace X11ClientWindows {

namespace {

template<typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

template<typename T>
Reply<T> own(T *p)
{
    return Reply<T>(p, &free);
}

QList<quint32> windowProperty(xcb_connection_t *conn, xcb_window_t w, xcb_atom_t prop)
{
    QList<quint32> out;
    auto r = own(xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, prop, XCB_ATOM_WINDOW, 0, 1 << 16), nullptr));
    if (r && r->format == 32) {
        const auto *v = static_cast<const quint32 *>(xcb_get_property_value(r.get()));
        const int n = xcb_get_property_value_length(r.get()) / 4;
        for (int i = 0; i < n; ++i)
            out.append(v[i]);
    }
    return out;
}

bool hasProperty(xcb_connection_t *conn, xcb_window_t w, xcb_atom_t prop)
{
    auto r = own(xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr));
    return r && r->type != XCB_NONE;
}

QList<xcb_window_t> children(xcb_connection_t *conn, xcb_window_t w)
{
    QList<xcb_window_t> out;
    auto r = own(xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr));
    if (!r)
        return out;
    const xcb_window_t *c = xcb_query_tree_children(r.get());
    for (int i = 0; i < xcb_query_tree_children_length(r.get()); ++i)
        out.append(c[i]);
    return out;
}

// Bottom to top, like the stacking list.
QList<xcb_window_t> clientsFromTree(xcb_connection_t *conn, xcb_window_t root)
{
    const xcb_atom_t wmState = atom(conn, "WM_STATE");
    QList<xcb_window_t> out;
    for (xcb_window_t top : children(conn, root)) {
        if (hasProperty(conn, top, wmState)) {
            out.append(top);
            continue;
        }
        for (xcb_window_t c : children(conn, top))
            if (hasProperty(conn, c, wmState)) {
                out.append(c);
                break;
            }
    }
    return out;
}

} // namespace

xcb_atom_t atom(xcb_connection_t *conn, const char *name)
{
    auto r = own(xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t topLevelOf(xcb_connection_t *conn, xcb_window_t root, xcb_window_t window)
{
    xcb_window_t w = window;
    for (int depth = 0; depth < 64; ++depth) {
        auto r = own(xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr));
        if (!r)
            return XCB_WINDOW_NONE;
        if (r->parent == root || r->parent == XCB_WINDOW_NONE)
            return w;
        w = r->parent;
    }
    return XCB_WINDOW_NONE;
}

QList<ScreenWindow> list(xcb_connection_t *conn, xcb_window_t root)
{
    QList<xcb_window_t> clients = windowProperty(conn, root, atom(conn, "_NET_CLIENT_LIST_STACKING"));
    if (clients.isEmpty())
        clients = clientsFromTree(conn, root);

    const xcb_atom_t extentsAtom = atom(conn, "_NET_FRAME_EXTENTS");
    const xcb_atom_t pidAtom = atom(conn, "_NET_WM_PID");
    struct Pending
    {
        xcb_window_t id;
        xcb_get_window_attributes_cookie_t attrs;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_property_cookie_t extents, pid, wmClass;
    };
    // Ask everything first, then read the answers: one round trip for the whole list.
    QList<Pending> pending;
    for (xcb_window_t w : clients)
        pending.append({w, xcb_get_window_attributes(conn, w), xcb_get_geometry(conn, w),
                        xcb_translate_coordinates(conn, w, root, 0, 0),
                        xcb_get_property(conn, 0, w, extentsAtom, XCB_ATOM_CARDINAL, 0, 4),
                        xcb_get_property(conn, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                        xcb_get_property(conn, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256)});

    QList<ScreenWindow> windows;
    for (const Pending &p : pending) {
        auto attrs = own(xcb_get_window_attributes_reply(conn, p.attrs, nullptr));
        auto geometry = own(xcb_get_geometry_reply(conn, p.geometry, nullptr));
        auto origin = own(xcb_translate_coordinates_reply(conn, p.origin, nullptr));
        auto extents = own(xcb_get_property_reply(conn, p.extents, nullptr));
        auto pid = own(xcb_get_property_reply(conn, p.pid, nullptr));
        auto wmClass = own(xcb_get_property_reply(conn, p.wmClass, nullptr));
        if (!attrs || !geometry || !origin || attrs->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        ScreenWindow w;
        w.id = p.id;
        QRect frame(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        if (extents && extents->format == 32 && xcb_get_property_value_length(extents.get()) == 16) {
            const auto *e = static_cast<const quint32 *>(xcb_get_property_value(extents.get()));
            frame.adjust(-int(e[0]), -int(e[2]), int(e[1]), int(e[3])); // left, right, top, bottom
        }
        w.frame = frame;
        if (pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) == 4)
            w.pid = *static_cast<const quint32 *>(xcb_get_property_value(pid.get()));
        if (wmClass && wmClass->format == 8) {
            const QByteArray raw(static_cast<const char *>(xcb_get_property_value(wmClass.get())),
                                 xcb_get_property_value_length(wmClass.get()));
            const QList<QByteArray> parts = raw.split('\0');
            w.appClass = QString::fromUtf8(parts.size() > 1 ? parts.at(1) : parts.value(0));
        }
        windows.prepend(w); // the lists run bottom to top
    }
    return windows;
}

} // namespace X11ClientWindows
