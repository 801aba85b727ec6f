#include "TalkWiring.h"

#include "launch/CanvasTalk.h"
#include "settings/PanePreferences.h"
#include "settings/SettingsWindowController.h"
#include "talk/SpeechEngine.h"
#include "talk/SpeechLanguages.h"
#include "talk/TalkSettings.h"

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
