#include "AppDelegate.h"

#include "app/ActivityLog.h"
#include "app/HotKeyCenter.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <memory>

#include <unistd.h>

// Without a tray host the icon and its menu are nowhere to be seen: say how to reach them, once
// in a desktop session, and not over a window of ours (a welcome or crash window keeps its words).

namespace {
// A mark that lives as long as the desktop session: the session's runtime folder is emptied
// when the user logs out.
QString sessionMark()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!QDir::isAbsolutePath(folder))
        folder = QDir::tempPath() + QStringLiteral("/quillet-%1").arg(::getuid());
    return folder + QStringLiteral("/quillet-no-tray-") + qEnvironmentVariable("DISPLAY").remove(QLatin1Char('/'));
}

constexpr int waitMs = 1000; // how often a shown window of ours is looked at again
} // namespace

void AppDelegate::sayThereIsNoTray()
{
    activityLog(QStringLiteral("launch: no tray host; a second start shows the menu"));
    if (m_demo)
        return;
    const QString mark = sessionMark();
    if (QFile::exists(mark))
        return; // said already in this desktop session
    QPointer<AppDelegate> self(this);
    auto tell = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> again = tell;
    *tell = [self, mark, again] {
        if (!self)
            return;
        // It waits for our windows to go, and for a capture whose freeze is under way: a notice
        // coming up then would be in the frozen picture.
        if (hasVisibleWindows() || self->m_capturing || CaptureSession::currentSession()) {
            if (auto next = again.lock())
                QTimer::singleShot(waitMs, self, [next] { (*next)(); });
            return;
        }
        QDir().mkpath(QFileInfo(mark).path());
        QFile told(mark);
        if (told.open(QIODevice::WriteOnly))
            told.close();
        const auto shortcut = self->m_hotKeys->shortcut(CaptureAction::areaToCanvas);
        const QString capture = shortcut ? QStringLiteral("Press ") + shortcut->displayText()
                                               + QStringLiteral(" to capture; open Quillet™ again to see its menu.")
                                         : QStringLiteral("Open Quillet™ again to see its menu.");
        toast(QStringLiteral("Quillet™ has no tray icon on this desktop. ") + capture, 4);
    };
    // The first look comes once the launch has shown what it shows.
    QTimer::singleShot(0, this, [tell] { (*tell)(); });
}
