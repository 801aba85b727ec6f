#pragma once
#include <QDateTime>
#include <QString>

#include <optional>

// The date form of the report documents and the run record: ISO 8601 in UTC with whole seconds
// and a "Z" suffix, such as 2026-12-09T08:05:51Z.
namespace IsoDate {
QString write(const QDateTime &date);
// Reads exactly that form; any other (fractions, offsets, no "Z") gives nothing.
std::optional<QDateTime> read(const QString &text);
} // namespace IsoDate
