#include "ReportFiles.h"

#include "app/ActivityLog.h"
#include "platform/RegularFile.h"

namespace ReportFiles {

std::optional<QByteArray> read(const QString &path, qint64 maxBytes)
{
    RegularFile::Contents contents = RegularFile::read(path, maxBytes, RegularFile::Links::refuse);
    if (contents.ok())
        return std::move(contents.data);
    if (contents.status != RegularFile::Status::missing)
        activityLog(QStringLiteral("reports: %1 not read: %2").arg(path, contents.error));
    return std::nullopt;
}

} // namespace ReportFiles
