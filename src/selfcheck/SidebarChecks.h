#pragma once

class CanvasController;
class QWidget;

namespace Autopilot {

// The canvas's command sidebar: its place and size, where the canvas area ends, the two rows
// with their titles and key captions, whole inside the panel, the hint line leaving the two
// commands to it, a click on each row doing it, the glass under the rows keeping its clicks
// from the canvas, the copy row's flash, and the sidebar giving way in a narrow window. Nine
// check lines and the picture "7d-commands". view: the view that holds the canvas (the window's
// content); it is narrowed for the last check and given its size back.
void sidebarChecks(CanvasController *controller, QWidget *view);

} // namespace Autopilot
