#pragma once
#include "talk/TalkProblem.h"

#include <QString>

#include <functional>
#include <memory>

// A source of spoken words for one hold: started when the talk key goes down, stopped when it
// comes up, cancelled when the hold is dropped. Callbacks and completions come on the main thread.
class SpeechListening {
public:
    virtual ~SpeechListening() = default;

    // The whole text heard so far (settled words followed by the interim ones), at every result.
    virtual void setOnHeard(std::function<void(const QString &)> heard) = 0;
    // The input level of one captured buffer, 0 to 1.
    virtual void setOnLevel(std::function<void(float)> level) = 0;
    virtual void setOnProblem(std::function<void(const TalkProblem &)> problem) = 0;

    virtual void start() = 0;
    // Ends the input and hands the final text to `completion` once; never when cancel() comes
    // first or a later stop replaces the completion.
    virtual void stop(std::function<void(const QString &)> completion) = 0;
    // Ends at once; no text is handed over.
    virtual void cancel() = 0;
};

// Makes the listener of each hold that begins talking; the self-check puts its scripted one here.
// Read and written on the main thread only.
extern std::function<std::shared_ptr<SpeechListening>()> makeSpeechListener;
