#pragma once
#include <optional>

class QScreen;

// The window manager's frame around our titled windows.
namespace WindowFrame {
// The height in points of the title bar that the window manager puts above a normal window's
// content on a screen (the primary screen when none is given). The window manager draws it in
// device pixels: the top of its _NET_FRAME_EXTENTS, asked for once and kept, divided by that
// screen's scale. 0 without a window manager, or when it does not answer.
double titleBarHeight(const QScreen *screen = nullptr);
// The same in device pixels.
double titleBarPixels();
// Tests: a fixed height in device pixels instead of asking (none asks again).
void setTitleBarHeightForTesting(std::optional<double> pixels);
} // namespace WindowFrame
