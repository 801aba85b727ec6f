#pragma once
#include <QString>

class CanvasController;
class OverlayView;

namespace Autopilot {

// The talk stage: talk to annotate on a live canvas with scripted listeners in place of the
// microphone and the recognizer. The canvas's own talk controller runs unchanged; the stage holds
// the talk key, says the words, draws, types and moves the pointer, all at once and in order, and
// prints its 28 check lines and the picture "2t-talking" into folder. Run by the canvas stage on
// its canvas (controller), on the overlay view that became it, and on any canvas alone. It puts
// back the talk settings exactly as they were stored (a key that was absent stays absent) and the
// listener factory that was in place, whichever way it ends.
void talkStage(CanvasController *controller, OverlayView *overlay, const QString &folder);

} // namespace Autopilot
