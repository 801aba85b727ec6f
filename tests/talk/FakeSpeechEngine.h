#pragma once
#include "talk/SpeechEngine.h"

#include <QList>

// A speech engine whose results a test says: each run is kept, and the test delivers its
// results and its end by hand.
class FakeSpeechEngine final : public SpeechEngine {
public:
    struct Run final : SpeechRun {
        std::shared_ptr<SoundStream> sound;
        QString code;
        Handlers handlers;
        bool cancelled = false;
        void cancel() override { cancelled = true; }
        void say(const QString &text, bool isFinal) { handlers.result({text, isFinal}); }
        void end(std::optional<QString> failure = std::nullopt) { handlers.ended(failure); }
    };

    bool installed = true;
    QList<std::shared_ptr<Run>> runs;

    std::optional<SpeechLanguage> language(const QString &requested) override
    {
        if (!requested.startsWith(QLatin1String("en")))
            return std::nullopt;
        return SpeechLanguage{QStringLiteral("en-US"), QStringLiteral("pocketsphinx-en-us"), installed};
    }
    QStringList installedLanguages() override
    {
        return installed ? QStringList{QStringLiteral("en-US")} : QStringList{};
    }
    std::shared_ptr<SpeechRun> recognize(std::shared_ptr<SoundStream> sound, const QString &code,
                                         Handlers handlers) override
    {
        auto run = std::make_shared<Run>();
        run->sound = std::move(sound);
        run->code = code;
        run->handlers = std::move(handlers);
        runs << run;
        return run;
    }
};
