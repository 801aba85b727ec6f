#pragma once
#include "app/PreferenceReaders.h"
#include "history/Recents.h"
#include "platform/Preferences.h"
#include "selfcheck/Autopilot.h"

#include <QDir>

namespace Autopilot {

// Pauses the history or lets it keep captures again. A run's preferences live in memory, so
// the user's own "history.paused" is never changed by it.
inline void setHistoryPaused(bool paused)
{
    Prefs::store().setValue(QStringLiteral("history.paused"), paused);
}

// Sets the run's history aside, or brings it back. Aside, the history reads as an empty folder
// of the run: a canvas opened meanwhile finds no earlier capture, so it has no rail and its
// comment and shape checks measure the canvas area they are written for. Only while the
// history is paused, so that no capture is kept in the empty folder.
inline void setHistoryAside(bool aside)
{
    static QString kept;
    Recents::queue().sync([] {});
    if (aside && kept.isEmpty()) {
        kept = Recents::folderOverride();
        Recents::setFolderOverride(QDir(folder()).absoluteFilePath(QStringLiteral("history-aside")));
    } else if (!aside && !kept.isEmpty()) {
        Recents::setFolderOverride(kept);
        kept.clear();
    }
}

} // namespace Autopilot
