#pragma once
#include <QString>

// Paste, numbered lists and ready to type: a new capture opens with a comment ready for typing,
// Shift+Return continues a numbered list and an empty item ends it, pasted text becomes a
// comment and a pasted picture a new shot; then the canvas for the comment checks is opened.
namespace Autopilot {

struct Handover;

// The comment the comment checks type: long enough to wrap in its box (96 characters).
inline const QString longComment = QStringLiteral(
    "this is a long comment that has to wrap inside its box and never run past the edge of the window");

// Pauses the history and opens a canvas on the staged picture; 0.5 s later the checks.
void pasteStage(const Handover &handover);
// The checks on the hand-over's canvas (writes "12-ready-to-type"); closes it, lets the history
// keep captures again and calls the comment stage. Ends the run when the canvas did not open.
void pasteChecks(const Handover &handover);
// Pauses the history and opens a canvas on a shot from the right-hand side of the screen, 40
// points short of its edge; 0.5 s later the comment checks.
void commentStage(const Handover &handover);

} // namespace Autopilot
