#pragma once
#include <optional>

// The window manager's frame around our titled windows.
namespace WindowFrame {
// The height in points of the title bar that the window manager puts above a normal window's
// content: the top of its _NET_FRAME_EXTENTS, asked for once and kept. 0 without a window
// manager, or when it does not answer.
double titleBarHeight();
// Tests: a fixed height instead of asking (none asks again).
void setTitleBarHeightForTesting(std::optional<double> height);
} // namespace WindowFrame
