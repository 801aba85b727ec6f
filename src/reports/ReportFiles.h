#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

// Reading back the files the report bookkeeping wrote itself: a regular file only (never a link,
// a FIFO or a device, and never blocking on one), within a cap fit for its kind. A file that is
// there but refused is noted in the activity log with why; a missing one is not.
namespace ReportFiles {
std::optional<QByteArray> read(const QString &path, qint64 maxBytes);
} // namespace ReportFiles
