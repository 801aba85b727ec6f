#pragma once

// The pointer's buttons as the display server has them now, not as the last event said.
namespace PointerButtons {
bool leftButtonDown();
} // namespace PointerButtons
