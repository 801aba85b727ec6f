#pragma once
#include <QList>
#include <QRectF>

#include <memory>
#include <optional>

// One on-screen window of the window system's list.
struct WindowListEntry
{
    quint32 number = 0;            // the window's id (0 when unknown)
    std::optional<QRectF> bounds;  // its frame in global points (Qt's coordinates), when known
    int layer = 0;                 // 0 for ordinary windows; docks, desktops and windows kept
                                   // above or below the others have another layer
    qint64 pid = 0;                // owning process, 0 when unknown
    std::optional<double> alpha;   // its opacity (0 to 1) when the window sets one
};

// The on-screen windows, front to back (on X11: _NET_CLIENT_LIST_STACKING with the frame
// extents, window types and states, _NET_WM_PID and _NET_WM_WINDOW_OPACITY). Main thread only.
class WindowList
{
public:
    virtual ~WindowList() = default;
    // The process-wide list: the X11 one when the application runs on X11.
    static WindowList &shared();
    // Tests put a fake in its place.
    static void setShared(std::shared_ptr<WindowList> list);

    virtual QList<WindowListEntry> onScreenWindows() = 0;
};
