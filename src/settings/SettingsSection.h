#pragma once
#include <QObject>
#include <QString>

#include <array>
#include <optional>

// The settings window's sections, in the sidebar's order; each stored by its raw name.
namespace SettingsSections {
Q_NAMESPACE
enum class Section { shortcuts, canvas, general, permissions, reports, contact, legal, about };
Q_ENUM_NS(Section)

constexpr std::array<Section, 8> all = {Section::shortcuts,   Section::canvas,  Section::general,
                                        Section::permissions, Section::reports, Section::contact,
                                        Section::legal,       Section::about};
QString rawValue(Section section);
// Exact, case-sensitive match; nothing for any other text.
std::optional<Section> fromRawValue(const QString &raw);
} // namespace SettingsSections

using SettingsSection = SettingsSections::Section;
