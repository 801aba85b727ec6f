#pragma once
#include <QColorSpace>

#include <optional>

// The colour space of the display: the ICC profile a colour manager put on the root window
// (_ICC_PROFILE), else sRGB.
namespace DisplayProfile {
QColorSpace colorSpace();
// Tests: this space instead of the display's (none asks the display again).
void setForTesting(std::optional<QColorSpace> space);
} // namespace DisplayProfile
