#include "TextSide.h"

#include <cmath>

namespace {
constexpr std::array<const char *, 5> kNames = {"left", "right", "above", "below", "aboveLeading"};
}

QLatin1StringView TextSide::name() const
{
    return QLatin1StringView(kNames[m_value]);
}

std::optional<TextSide> TextSide::fromName(QStringView name)
{
    for (Value v : all) {
        if (name == QLatin1StringView(kNames[v]))
            return TextSide(v);
    }
    return std::nullopt;
}

TextSide TextSide::forArrow(QPointF tail, QPointF head)
{
    const double dx = head.x() - tail.x();
    const double dy = head.y() - tail.y();
    if (std::abs(dy) <= std::abs(dx))
        return dx >= 0 ? left : right;
    return dy >= 0 ? above : below;
}
