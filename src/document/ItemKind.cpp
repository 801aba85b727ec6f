#include "ItemKind.h"

namespace {
constexpr std::array<const char *, 4> kNames = {"arrow", "text", "box", "redaction"};
}

QLatin1StringView ItemKind::name() const
{
    return QLatin1StringView(kNames[m_value]);
}

std::optional<ItemKind> ItemKind::fromName(QStringView name)
{
    for (Value v : all) {
        if (name == QLatin1StringView(kNames[v]))
            return ItemKind(v);
    }
    return std::nullopt;
}
