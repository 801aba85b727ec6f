#pragma once
class QWindow;

// The _NET_WM_STATE of our own windows.
namespace X11WindowState {
// Adds or removes _NET_WM_STATE_SKIP_TASKBAR: on the property itself (read when the window is
// mapped) and through the window manager for a window it already manages.
void setSkipTaskbar(QWindow *window, bool skip);
// Whether the window's _NET_WM_STATE holds _NET_WM_STATE_SKIP_TASKBAR now.
bool skipsTaskbar(QWindow *window);
} // namespace X11WindowState
