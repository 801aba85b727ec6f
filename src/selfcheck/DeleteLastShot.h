#pragma once

class CanvasController;

namespace Autopilot {

// Delete on the rail takes a canvas window's last own page away and opens the earlier capture
// next to it in its place; Ctrl+Z brings the shot back. Runs on a canvas of exactly two pages
// with earlier captures in its rail; anything else prints one failure.
void deleteLastShot(CanvasController *controller);

} // namespace Autopilot
