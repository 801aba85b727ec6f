#include "ScriptedListener.h"

namespace Autopilot {

void ScriptedListener::setOnHeard(std::function<void(const QString &)> f)
{
    onHeard = f ? std::move(f) : [](const QString &) {};
}

void ScriptedListener::setOnLevel(std::function<void(float)> f)
{
    onLevel = f ? std::move(f) : [](float) {};
}

void ScriptedListener::setOnProblem(std::function<void(const TalkProblem &)> f)
{
    onProblem = f ? std::move(f) : [](const TalkProblem &) {};
}

void ScriptedListener::stop(std::function<void(const QString &)> completion)
{
    finished = true;
    if (completion)
        completion(final.value_or(heard));
}

void ScriptedListener::say(const QString &text)
{
    heard = text;
    onLevel(0.6f);
    onHeard(text);
}

std::function<std::shared_ptr<SpeechListening>()> scriptedFactory(std::shared_ptr<ScriptedListeners> made)
{
    return [made]() -> std::shared_ptr<SpeechListening> {
        auto listener = std::make_shared<ScriptedListener>();
        made->append(listener);
        return listener;
    };
}

} // namespace Autopilot
