#include "SettingsSection.h"

namespace SettingsSections {

QString rawValue(Section section)
{
    switch (section) {
    case Section::shortcuts: return QStringLiteral("shortcuts");
    case Section::canvas: return QStringLiteral("canvas");
    case Section::general: return QStringLiteral("general");
    case Section::permissions: return QStringLiteral("permissions");
    case Section::reports: return QStringLiteral("reports");
    case Section::contact: return QStringLiteral("contact");
    case Section::legal: return QStringLiteral("legal");
    case Section::about: return QStringLiteral("about");
    }
    return {};
}

std::optional<Section> fromRawValue(const QString &raw)
{
    for (Section section : all)
        if (rawValue(section) == raw)
            return section;
    return std::nullopt;
}

} // namespace SettingsSections
