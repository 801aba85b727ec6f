#pragma once
#include "talk/SoundBuffer.h"

// The level shown by the listening badge for one buffer, 0 to 1: the rms of the first channel in
// dBFS, mapped linearly from -50 dB (0) to -12 dB (1). Every sample type is measured.
float inputLevel(const SoundBuffer &buffer);
