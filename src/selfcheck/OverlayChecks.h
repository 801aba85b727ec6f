#pragma once
#include "Chain.h"

#include <Qt>

#include <functional>
#include <optional>

class OverlayView;

// The first two stages of the self-check. overlayChecks drives staged overlays through hovering,
// a click on a window, the Shift, Alt and Space drags, a click on no window, the F key, the
// whole-pixel crop and the crop nudge of a fresh canvas, then draws the settings window;
// selectingStage leaves a selection in progress as a picture and opens the canvas that the
// canvas checks work on.
namespace Autopilot {

void overlayChecks(const Handover &handover);
void selectingStage(const Handover &handover);

// How a stage hands scripted modifier keys to an overlay (its test modifiers); tests put in an
// overlay that ignores them.
std::function<void(OverlayView *, std::optional<Qt::KeyboardModifiers>)> &overlayModifiers();

} // namespace Autopilot
