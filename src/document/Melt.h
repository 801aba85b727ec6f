#pragma once
#include <QtGlobal>

// The application icon melts a little further every ten captures and starts over after a
// hundred: ten stages of ten captures each.
namespace Melt {
constexpr int capturesPerStage = 10;
constexpr int stages = 10;

// The stage (0 to 9) shown for a capture count; a negative count counts as 0.
int stage(qint64 captures);
} // namespace Melt
