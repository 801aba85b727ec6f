#include "TalkHold.h"

std::optional<TalkHold::Action> TalkHold::handle(quint16 keyCode, bool keyDown, bool alone,
                                                 double time)
{
    if (!since) {
        if (keyDown && alone && TalkKeys::keyCodes(key).contains(keyCode)) {
            since = time;
            heard = false;
            return Action::begin;
        }
        return std::nullopt;
    }
    if (keyDown)
        return std::nullopt; // other modifiers, or the other key of a pair, change nothing
    return ended(time);
}

std::optional<TalkHold::Action> TalkHold::release(double time)
{
    if (!since)
        return std::nullopt;
    return ended(time);
}

std::optional<TalkHold::Action> TalkHold::interrupt()
{
    if (!since)
        return std::nullopt;
    since.reset();
    return heard ? Action::end : Action::cancel;
}

void TalkHold::markHeard()
{
    if (since)
        heard = true;
}

TalkHold::Action TalkHold::ended(double time)
{
    const double start = *since;
    since.reset();
    return (time - start >= minimumHold || heard) ? Action::end : Action::cancel;
}
