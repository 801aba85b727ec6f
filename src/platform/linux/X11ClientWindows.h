#pragma once
#include "platform/ScreenSource.h"

#include <xcb/xcb.h>

// The on-screen client windows as the screen source lists them, on a connection of its own so
// that any thread may ask: front to back, from the window manager's stacking list
// (_NET_CLIENT_LIST_STACKING) or, without one, the root's children carrying WM_STATE (or having a
// child that does). Frames include the decorations the window manager reports.
namespace X11ClientWindows {
QList<ScreenWindow> list(xcb_connection_t *conn, xcb_window_t root);
// The root's child that holds the window (its window-manager frame, or the window itself).
xcb_window_t topLevelOf(xcb_connection_t *conn, xcb_window_t root, xcb_window_t window);
xcb_atom_t atom(xcb_connection_t *conn, const char *name);
}
