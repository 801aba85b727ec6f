#include "rail/RailScratch.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString dragPrefix = QStringLiteral("drag-");
}

namespace RailScratch {

QString folder()
{
    const QString path = QDir::tempPath() + QStringLiteral("/Quillet-") + QString::number(getuid());
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return {};
    if ((st.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return {};
    return path;
}

void prune(const QString &base, double seconds)
{
    const QDateTime cutoff = QDateTime::currentDateTime().addMSecs(qint64(-seconds * 1000));
    const QFileInfoList old = QDir(base).entryInfoList({dragPrefix + QLatin1Char('*')},
                                                       QDir::Dirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    for (const QFileInfo &info : old) {
        if (info.isSymLink()) {
            QFile::remove(info.filePath());
            continue;
        }
        if (info.lastModified() < cutoff)
            QDir(info.filePath()).removeRecursively();
    }
}

QString newDragFolder()
{
    const QString base = folder();
    if (base.isEmpty())
        return {};
    prune(base, 3600);
    QByteArray templ = QFile::encodeName(base + QLatin1Char('/') + dragPrefix + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(templ.data()))
        return {};
    return QFile::decodeName(templ);
}

} // namespace RailScratch
