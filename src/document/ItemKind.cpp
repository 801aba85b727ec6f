#include "ItemKind.h"

namespace {
constexpr std::array<const char *, 4> kNames = {"arrow", "text", "box", "redaction"};
}

QString ItemKind::name() const
{
    return QString::fromLatin1(kNames[m_value]);
}

std::optional<ItemKind> ItemKind::fromName(QStringView name)
{
    for (Value v : all) {
        if (name == QLatin1StringView(kNames[v]))
            return ItemKind(v);
    }
    return std::nullopt;
}
