#pragma once
#include "talk/SpeechListening.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace Autopilot {

// A speech listener that hears nothing by itself: the talk stage decides, step by step, which
// words it "hears" (say), while the canvas's talk controller drives it as it drives the real one.
// Nothing in it waits: every callback is made inside the call that causes it. Main thread only.
class ScriptedListener final : public SpeechListening
{
public:
    std::function<void(const QString &)> onHeard = [](const QString &) {};
    std::function<void(float)> onLevel = [](float) {};
    // Never called by this listener.
    std::function<void(const TalkProblem &)> onProblem = [](const TalkProblem &) {};
    bool started = false;
    bool cancelled = false;
    bool finished = false;
    // The last text handed to say.
    QString heard;
    // When set, what stop delivers in place of heard (a recognizer whose finished text differs
    // from its last partial one).
    std::optional<QString> final;

    void setOnHeard(std::function<void(const QString &)> heard) override;
    void setOnLevel(std::function<void(float)> level) override;
    void setOnProblem(std::function<void(const TalkProblem &)> problem) override;
    void start() override { started = true; }
    // Hands final (or else heard) to the completion at once; also after cancel.
    void stop(std::function<void(const QString &)> completion) override;
    void cancel() override { cancelled = true; }

    // One partial or final result: heard becomes text, the level 0.6 is reported, then the text.
    void say(const QString &text);
};

using ScriptedListeners = QList<std::shared_ptr<ScriptedListener>>;

// A listener factory for makeSpeechListener: each call makes a fresh scripted listener and
// appends it to made, which keeps it alive; made's last one is the listener talking now or last.
std::function<std::shared_ptr<SpeechListening>()> scriptedFactory(std::shared_ptr<ScriptedListeners> made);

} // namespace Autopilot
