#pragma once

#include <optional>

// Whether the user has asked the desktop to keep motion to a minimum. On GNOME that is the
// interface setting enable-animations turned off; where it cannot be read, motion is allowed.
// The answer is read on first use and again after the desktop's settings database changed.
namespace ReduceMotion {
bool isOn();
// Makes isOn() answer `on` until cleared with std::nullopt (tests and the self-check).
void setOverride(std::optional<bool> on);
} // namespace ReduceMotion
