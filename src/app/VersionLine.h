#pragma once
#include <QLocale>
#include <QString>

#include <optional>

// The version text shown in the menus and the About pane.
namespace VersionLine {
// "Version 1.4" in a release build, "Development build (after 1.4)" otherwise; then, when the
// date text is a valid yyyy-MM-dd date, " · " ("built " too outside a release) and the date in
// the locale's long style, e.g. "Version 1.4 · March 3, 2026".
QString text(const QString &version, const std::optional<QString> &date, bool release,
             const QLocale &locale);
} // namespace VersionLine
