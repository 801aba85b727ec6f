#include "Palette.h"

#include <algorithm>

namespace Palette {

RGB color(int index)
{
    return colors[size_t(std::clamp(index, 0, int(colors.size()) - 1))];
}

} // namespace Palette
