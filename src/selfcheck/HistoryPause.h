#pragma once
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"

namespace Autopilot {

// Pauses the history or lets it keep captures again. A run's preferences live in memory, so
// the user's own "history.paused" is never changed by it.
inline void setHistoryPaused(bool paused)
{
    Prefs::store().setValue(QStringLiteral("history.paused"), paused);
}

} // namespace Autopilot
