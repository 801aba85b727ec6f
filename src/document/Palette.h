#pragma once
#include "RGB.h"

#include <array>

// The six mark colours, indexed by an item's colour index (alpha is always 1).
namespace Palette {
inline constexpr std::array<RGB, 6> colors = {{
    {1.0, 0.16, 0.12}, // red
    {1.0, 0.8, 0.0}, // yellow
    {0.2, 0.78, 0.35}, // green
    {0.04, 0.52, 1.0}, // blue
    {0.07, 0.07, 0.09}, // near black
    {1.0, 1.0, 1.0}, // white
}};

// The colour of an index, clamped into the table.
RGB color(int index);
}
