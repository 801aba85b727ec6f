#pragma once

class CanvasController;
class QWidget;

namespace Autopilot {

// The canvas toolbar's hover tips: every control has one, resting on each control shows its own
// tip above the bar and inside the window, and the tip goes when the pointer leaves. Three
// check lines and the picture "7t-tip". view: the view of the canvas window (the toolbar's
// parent or one of its ancestors). Leaves the tip hidden.
void tipChecks(CanvasController *controller, QWidget *view);

} // namespace Autopilot
