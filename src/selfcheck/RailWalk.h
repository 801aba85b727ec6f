#pragma once

class CanvasController;
class QWidget;

namespace Autopilot {

// The rail runs from the canvas's pages on into the earlier captures: three saves of the last
// page dated three days back are listed newest first, the down arrow walks past the window's
// last shot into them without moving them in the rail, the up arrow walks back, and a capture
// opened out of turn still takes its place by its date.
void railWalk(CanvasController *controller, QWidget *host);

} // namespace Autopilot
