#pragma once
#include "document/TalkTranscript.h"
#include "platform/Scheduler.h"
#include "talk/SpeechEngine.h"
#include "talk/SpeechListening.h"

#include <functional>
#include <memory>
#include <optional>

class MicrophoneAccess;
class SoundInput;
class SoundStream;

// Listens to the microphone (or a sound file) and recognizes its words for one hold.
// Everything runs on the main thread but the microphone's tap and the file reader, which only
// put buffers into the sound stream. Later work (timers, level updates, results) holds the
// listener weakly, so a listener must be owned by a shared_ptr.
class SpeechListener final : public SpeechListening,
                             public std::enable_shared_from_this<SpeechListener> {
public:
    // What a listener works with; an empty member means the process's own.
    struct Services {
        Scheduler *scheduler = nullptr;
        std::shared_ptr<SpeechEngine> engine;
        std::function<std::unique_ptr<SoundInput>()> makeInput;
        MicrophoneAccess *access = nullptr;
        std::function<QString()> language;
    };

    // Seconds from stop to the end of the input, and to giving up on the recognizer.
    static constexpr double inputEndDelay = 0.25;
    static constexpr double giveUpDelay = 4.0;
    // Frames of each microphone buffer.
    static constexpr int microphoneFrames = 2048;

    SpeechListener();
    explicit SpeechListener(Services services);
    ~SpeechListener() override;

    void setOnHeard(std::function<void(const QString &)> heard) override;
    void setOnLevel(std::function<void(float)> level) override;
    void setOnProblem(std::function<void(const TalkProblem &)> problem) override;
    void start() override;
    void stop(std::function<void(const QString &)> completion) override;
    void cancel() override;

    // When set before start(), the WAV file listened to instead of the microphone.
    QString file;

    bool tapped() const { return m_tapped; }
    bool isOver() const { return m_over; }
    bool isCancelled() const { return m_cancelled; }
    bool isRecognizing() const { return bool(m_work); }
    const TalkTranscript &transcript() const { return m_transcript; }

private:
    bool startMicrophone();
    void stopInput();
    void recognize(const QString &code);
    void heard(const SpeechResult &result);
    void recognitionEnded(const std::optional<QString> &failure);
    // Ends the listening and hands its words to a pending completion, once.
    void finish();
    QString words() const;
    void report(const TalkProblem &problem);

    std::function<void(const QString &)> m_onHeard = [](const QString &) {};
    std::function<void(float)> m_onLevel = [](float) {};
    std::function<void(const TalkProblem &)> m_onProblem = [](const TalkProblem &) {};
    Services m_services;
    std::unique_ptr<SoundInput> m_input;
    bool m_tapped = false;
    std::shared_ptr<SoundStream> m_sound;
    std::shared_ptr<SpeechRun> m_work;
    TalkTranscript m_transcript;
    std::function<void(const QString &)> m_done;
    bool m_over = false;
    bool m_cancelled = false;
};
