#pragma once

namespace Autopilot {
struct Handover;

// The hand-over to the another-shot stage: a capture over the main screen, showing the first of
// two made-up pictures of twice the screen's size, whose whole screen is taken for a canvas; the
// history is paused. The next step of the chain follows with that session, the screen, the
// second picture and the first. Without a main screen or a picture it says so and the run ends.
void stageShotForOpenCanvas(const Handover &handover);

} // namespace Autopilot
