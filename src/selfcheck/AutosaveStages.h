#pragma once

// The autosave checks: an open canvas is saved to the history while its comment is still being
// typed, and closing it rewrites that entry instead of adding a second one. Each stage takes the
// staged screen and picture along in its hand-over.
namespace Autopilot {

struct Handover;

// Opens a canvas on the staged picture; 0.5 s later the typing.
void autosaveStage(const Handover &handover);
// Clicks a comment into the hand-over's canvas and types into it, leaving it open; 2.0 s later
// the checks. Ends the run when the canvas did not open.
void autosaveTyping(const Handover &handover);
// The newest history entry holds the words being typed; counts the entries, closes the canvas;
// 0.5 s later the count after the close.
void autosaveChecks(const Handover &handover);
// The close added no entry; then the paste stage.
void autosaveClosedCheck(const Handover &handover);

} // namespace Autopilot
