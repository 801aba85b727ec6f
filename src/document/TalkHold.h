#pragma once
#include "document/TalkKey.h"

#include <optional>

// The hold of the talk key: turns modifier changes into begin, end or cancel. Times are seconds
// on the monotonic clock of key events, passed in by the caller; the hold reads no clock.
struct TalkHold {
    enum class Action { begin, end, cancel };

    // A hold released sooner than this, with no words heard, is cancelled.
    static constexpr double minimumHold = 0.25;
    // How long after listening starts the listening badge appears.
    static constexpr double badgeDelay = 0.18;

    TalkKey key = TalkKey::control;
    std::optional<double> since; // when the current hold began; none while idle
    bool heard = false;          // words came in during the current hold

    explicit TalkHold(TalkKey k = TalkKey::control) : key(k) {}

    bool isHolding() const { return since.has_value(); }

    // One modifier change: keyDown when the event's flags share a bit with the key's device
    // flags, alone when they share none with its other modifiers.
    std::optional<Action> handle(quint16 keyCode, bool keyDown, bool alone, double time);
    // Ends a hold from outside as if the key had gone up at `time`.
    std::optional<Action> release(double time);
    // Ends a hold from outside without a time: words keep it, else it is cancelled.
    std::optional<Action> interrupt();
    void markHeard();

private:
    Action ended(double time);
};
