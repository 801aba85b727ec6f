#pragma once
#include <functional>

// The system's alert sound, with a seam through which tests count the beeps.
namespace SystemBeep {
void play();
// Tests: what play does instead; none restores the real sound.
void setForTesting(std::function<void()> beep);
} // namespace SystemBeep
