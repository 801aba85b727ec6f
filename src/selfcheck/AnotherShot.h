#pragma once

// Another shot for an open canvas: the shot becomes the canvas's top page, Escape on a further
// shot leaves the canvas as it was, Return on a page of several copies it and ticks it, one
// Return in a comment ends it and copies, and the number pad's Enter counts as Return.
namespace Autopilot {

struct Handover;

// Takes a shot of the hand-over's shot picture for the open canvas of its session; 0.6 s later
// the checks run. Ends the run when that session has no canvas.
void anotherShot(const Handover &handover);
// The checks, then the deletion of the window's last shot; closes the canvas, lets the history
// keep captures again and goes on to the autosave stage.
void anotherShotChecks(const Handover &handover);

} // namespace Autopilot
