#include "TalkWiring.h"

#include "app/PreferenceReaders.h"
#include "launch/CanvasTalk.h"
#include "settings/PanePreferences.h"
#include "settings/SettingsWindowController.h"
#include "talk/SpeechEngine.h"
#include "talk/SpeechLanguages.h"
#include "talk/TalkSettings.h"

#include <QTimer>

void installTalk()
{
    Talk::make = [](CanvasController &canvas) -> std::unique_ptr<Talk> {
        return std::make_unique<CanvasTalk>(canvas);
    };
    PanePreferences::talkSettingsChanged = [] { TalkSettings::notifier().post(); };
    SettingsWindowController::supportedLanguages = [](std::function<void(QList<TalkLanguage>)> done) {
        QList<TalkLanguage> languages;
        for (const auto &[code, name] : SpeechLanguages::supported(*SpeechEngine::shared()))
            languages.append({code, name});
        done(languages);
    };
}

void loadSpeechModelAhead()
{
    // The first capture of a launch is set up first: the load reads about 90 MB and takes a
    // second of a processor.
    constexpr int afterStartMs = 2000;
    auto load = [] {
        if (Prefs::talkEnabled())
            SpeechEngine::shared()->warmUp();
    };
    QTimer::singleShot(afterStartMs, &TalkSettings::notifier(), load);
    QObject::connect(&TalkSettings::notifier(), &TalkSettings::changed, load);
}
