#pragma once
#include "platform/InstalledApp.h"

#include <QIcon>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// What a window tells about the application that owns it, for finding its desktop entry.
struct WindowClass
{
    QString instance;    // WM_CLASS, first part
    QString className;   // WM_CLASS, second part
    QString desktopFile; // _KDE_NET_WM_DESKTOP_FILE or _GTK_APPLICATION_ID; may be empty
};

// The installed applications (on Linux: the freedesktop desktop entries of the XDG data folders)
// and how to start one. Main thread only.
class AppRegistry
{
public:
    virtual ~AppRegistry() = default;

    // The process-wide registry: the XDG one unless a test has put another in its place.
    static AppRegistry &shared();
    static void setShared(std::shared_ptr<AppRegistry> registry);

    // The installed application with this id, or nothing.
    virtual std::optional<InstalledApp> find(const QString &id) = 0;
    // Every installed application, ordered by id.
    virtual QList<InstalledApp> all() = 0;
    // The id of the entry file at path: its path below an applications folder of the registry;
    // for a file elsewhere its file name, when an installed entry has that id. Nothing otherwise,
    // and for an entry that is not installed (hidden, not an application, unreadable).
    virtual std::optional<QString> idForFile(const QString &path) = 0;
    // Starts the application detached, never through a shell; done(started, pid) runs afterwards
    // on the main thread whether or not it could be started (pid 0 when it was not).
    using Launched = std::function<void(bool started, qint64 pid)>;
    virtual void launch(const QString &id, Launched done) = 0;

    // The application's icon: from the icon theme, or the file its entry names; null when none.
    static QIcon icon(const InstalledApp &app);

    // The entry of the application that owns a window, matching case-insensitively in this order:
    // the window's own desktop-file hint as id; StartupWMClass against the WM_CLASS class; the id
    // against the WM_CLASS instance or class; the id's last dotted part against the WM_CLASS
    // instance or class. Nothing when none matches.
    std::optional<InstalledApp> forWindow(const WindowClass &window);
};
