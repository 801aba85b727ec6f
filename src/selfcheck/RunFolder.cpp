#include "RunFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace RunFolder {
namespace {
bool isEmptyFolder(const QString &path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void mark(const QString &folder)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(markName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("Made by a Quillet self-check run; its history subfolder is deleted by the next run.\n");
}
} // namespace

bool prepare(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists()) {
        // A failure (a file in the way, no permission) is ignored: pictures are then missing.
        if (QDir().mkpath(folder))
            mark(folder);
        return true;
    }
    if (info.isDir() && !info.isSymLink() && isEmptyFolder(folder))
        mark(folder);
    const QString history = folder + QStringLiteral("/history");
    const QFileInfo historyInfo(history);
    if (historyInfo.isSymLink())
        return false;
    if (!historyInfo.exists() || (historyInfo.isDir() && isEmptyFolder(history)))
        return true;
    return QFileInfo(folder + QLatin1Char('/') + QLatin1String(markName)).isFile();
}

} // namespace RunFolder
