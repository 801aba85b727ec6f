#pragma once
#include "talk/TalkKeyWatch.h"

#include <QtGlobal>

#include <optional>

class CanvasController;
class QWidget;

// The self-check's talk-key input: modifier changes handed to a canvas's talk controller as the
// key watch of its window would hand them, with a clock of its own in place of the time of the
// key changes. Main thread only.
namespace Autopilot {

// Seconds standing in for the time of scripted talk-key changes. Each change raises it first and
// then takes it as its time, so the hold's rules (its least length) are met without waiting.
struct TalkClock
{
    double seconds = 1000;
};

// A flags-changed event of keyCode with flags (modifier and device bits after the change) for the
// window that holds view, at the clock raised by 1 s. None when view is in no window (none made
// for it yet): the script must not ask for that.
std::optional<TalkKeyEvent> flagsEvent(quint16 keyCode, quint64 flags, TalkClock &clock, const QWidget *view);

// The talk key going down (the clock raised by 5 s) or coming up after step seconds, as one change
// handed to the canvas's talk controller (made on first use): the first code of the key that
// "talk.key" names, with that key's device bit when down, with no flags when up. The controller
// reads "talk.key" again when no hold is running. Nothing when the canvas has no talk controller.
enum class Hold { down, up };
void holdStep(Hold change, TalkClock &clock, CanvasController *controller, double step = 0);

} // namespace Autopilot
