#pragma once
#include "platform/RunningApp.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

// The application in front and the user's last input, as the window system tells them (on X11:
// _NET_ACTIVE_WINDOW, the active window's WM_CLASS and _NET_WM_PID, and the server's idle time).
// Main thread only.
class FrontApplication : public QObject
{
    Q_OBJECT
public:
    // The process-wide instance: the X11 one when the application runs on X11.
    static FrontApplication &shared();
    // Tests put a fake in its place (nothing restores the default).
    static void setShared(std::shared_ptr<FrontApplication> instance);

    // The application whose window is active now, or nothing.
    virtual std::optional<RunningApp> frontmost() = 0;
    // Brings that application's window forward; false when it is gone.
    virtual bool activate(const RunningApp &app) = 0;
    // The windows of the application with this identifier (a desktop-file id, or the identifier
    // of a RunningApp without an entry), in the window manager's list order; case is ignored.
    virtual QList<RunningApp> windowsOf(const QString &identifier) { return {}; }
    // The windows of the process with this id or of processes it started (a launcher that starts
    // the real program), in the window manager's list order.
    virtual QList<RunningApp> windowsOfProcess(qint64 pid) { return {}; }
    // Seconds since the user last pressed a key or a mouse button (on X11 any input counts,
    // pointer motion included); a large number when unknown.
    virtual double secondsSinceLastInput() = 0;
    // Starts reporting activated(); calling it again changes nothing.
    virtual void startWatching() = 0;

signals:
    // Another application came to the front.
    void activated(std::optional<RunningApp> app);
};
