#include "ShortcutTakeover.h"

#include "ActivityLog.h"
#include "HotKeyCenter.h"
#include "PreferenceReaders.h"
#include "SystemShortcuts.h"
#include "platform/GlobalKeyGrabber.h"
#include "platform/Preferences.h"
#include "platform/SystemShortcutStore.h"

#include <QJsonArray>

#include <climits>

namespace {
const QString takenKey = QStringLiteral("shortcuts.takenFromSystem");
}

bool setSystemShortcut(SystemShortcutStore &store, int id, bool enabled)
{
    const QJsonObject settings =
        SystemShortcuts::settingEnabled(id, enabled, store.read(), store.builtIns());
    if (store.write(settings))
        return true;
    activityLog(QStringLiteral("shortcuts: the desktop refused to switch shortcut %1 %2")
                    .arg(id)
                    .arg(enabled ? QStringLiteral("on") : QStringLiteral("off")));
    return false;
}

bool HotKeyCenter::takeFromSystem(CaptureAction action)
{
    const auto keys = shortcut(action);
    if (!keys)
        return true;
    const auto clash = SystemShortcuts::entry(*keys, SystemShortcuts::entries(m_store));
    if (!clash)
        return true;
    setSystemShortcut(m_store, clash->id, false);
    QList<qint64> taken = Prefs::takenFromSystem();
    if (!taken.contains(clash->id))
        taken.append(clash->id);
    QJsonArray stored;
    for (qint64 id : std::as_const(taken))
        stored.append(id);
    Prefs::store().setValue(takenKey, stored);
    registerAll();
    return status(action).kind == Status::active;
}

void HotKeyCenter::giveBackToSystem()
{
    for (qint64 id : Prefs::takenFromSystem()) {
        // Ids outside the range of a desktop shortcut come only from hand-edited preferences.
        if (id < INT_MIN || id > INT_MAX)
            continue;
        setSystemShortcut(m_store, int(id), true);
    }
    Prefs::store().setValue(takenKey, QJsonArray());
    registerAll();
}

namespace HotKeyMode {

void saveAndDisable(GlobalKeyGrabber &grabber)
{
    grabber.suspend();
}

void restore(GlobalKeyGrabber &grabber)
{
    grabber.resume();
}

bool isSaved(const GlobalKeyGrabber &grabber)
{
    return grabber.isSuspended();
}

void saveAndDisable()
{
    saveAndDisable(GlobalKeyGrabber::shared());
}

void restore()
{
    restore(GlobalKeyGrabber::shared());
}

} // namespace HotKeyMode
