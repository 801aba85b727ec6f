#pragma once
#include "talk/SoundStream.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// One piece of recognized text: interim pieces replace each other until a final one settles.
struct SpeechResult {
    QString text;
    bool isFinal = false;
};

// A language an engine can recognize, by its code ("en-US"), and whether its model is there.
struct SpeechLanguage {
    QString code;
    QString package; // the system package that brings the model
    bool installed = false;
};

// One recognition run over a sound stream.
class SpeechRun {
public:
    virtual ~SpeechRun() = default;
    // Ends the run soon; no result is delivered after this, `ended` still comes.
    virtual void cancel() = 0;
};

// On-device speech recognition.
class SpeechEngine {
public:
    struct Handlers {
        // Each result, on the main thread, in the order recognized.
        std::function<void(const SpeechResult &)> result;
        // Once, on the main thread, after the last result: none, or why recognition failed.
        std::function<void(const std::optional<QString> &failure)> ended;
    };

    virtual ~SpeechEngine() = default;
    // The engine's language for a requested code: the same language, any region. None when the
    // engine has no such language at all.
    virtual std::optional<SpeechLanguage> language(const QString &requested) = 0;
    // The codes of the languages whose models are installed.
    virtual QStringList installedLanguages() = 0;
    // Loads the model ahead of the first run, without waiting for it.
    virtual void warmUp() {}
    // Recognizes the stream until it finishes or the run is cancelled; never waits.
    virtual std::shared_ptr<SpeechRun> recognize(std::shared_ptr<SoundStream> sound,
                                                 const QString &code, Handlers handlers) = 0;

    // The engine listeners use: pocketsphinx unless a test or the self-check puts another here.
    static std::shared_ptr<SpeechEngine> &shared();
};
