#include "StandInCompositor.h"

#include <xcb/composite.h>

#include <cstdlib>
#include <cstring>

StandInCompositor::StandInCompositor() : m_conn(xcb_connect(nullptr, nullptr))
{
    if (xcb_connection_has_error(m_conn)) {
        m_problem = QStringLiteral("no X connection");
        return;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
    const char *name = "_NET_WM_CM_S0";
    auto *atom = xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom) {
        m_problem = QStringLiteral("no atom for the compositing manager selection");
        return;
    }
    const xcb_window_t owner = xcb_generate_id(m_conn);
    xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(m_conn, owner, atom->atom, XCB_CURRENT_TIME);
    std::free(atom);
    std::free(xcb_composite_query_version_reply(m_conn, xcb_composite_query_version(m_conn, 0, 4), nullptr));
    xcb_generic_error_t *err = xcb_request_check(
        m_conn, xcb_composite_redirect_subwindows_checked(m_conn, screen->root, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
    if (err) {
        std::free(err);
        m_problem = QStringLiteral("the X server does not redirect windows");
    }
}

StandInCompositor::~StandInCompositor()
{
    xcb_disconnect(m_conn);
}
