#include "HistoryFiles.h"

#include "app/PngWriter.h"
#include "platform/FileWrites.h"
#include "platform/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace HistoryFiles {
namespace {
bool failed(QString *error, int code)
{
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(code));
    return false;
}

QByteArray native(const QString &path) { return QFile::encodeName(path); }

const QStringList workKinds = {QStringLiteral("staging"), QStringLiteral("removing"),
                               QStringLiteral("previous")};
const QString previousKind = QStringLiteral("previous");
} // namespace

bool linkOrCopy(const QString &from, const QString &to, QString *error)
{
    if (::link(native(from).constData(), native(to).constData()) == 0)
        return true;
    const RegularFile::Contents source = RegularFile::read(from, RegularFile::pictureCap, RegularFile::Links::refuse);
    if (!source.ok()) {
        if (error)
            *error = source.error;
        return false;
    }
    return FileWrites::writeSynced(to, source.data, error);
}

bool exchange(const QString &a, const QString &b, bool *unsupported, QString *error)
{
    *unsupported = false;
    if (::renameat2(AT_FDCWD, native(a).constData(), AT_FDCWD, native(b).constData(),
                    RENAME_EXCHANGE)
        == 0)
        return true;
    const int code = errno;
    *unsupported = code == EINVAL || code == ENOSYS || code == EOPNOTSUPP;
    return failed(error, code);
}

bool rename(const QString &from, const QString &to, QString *error)
{
    if (::rename(native(from).constData(), native(to).constData()) == 0)
        return true;
    return failed(error, errno);
}

bool removeTree(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}

bool removeAtOnce(const QString &path)
{
    const QFileInfo info(path);
    const QString hidden = info.dir().filePath(workName(QStringLiteral("removing"), info.fileName()));
    if (rename(path, hidden))
        return removeTree(hidden);
    return removeTree(path);
}

QString workName(const QString &kind, const QString &base)
{
    return QLatin1Char('.') + kind + QLatin1Char('-') + base + QLatin1Char('-')
        + QUuid::createUuid().toString(QUuid::Id128).left(8);
}

void sweepWorkFolders(const QString &folder, bool all)
{
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QFileInfoList items =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo &item : items) {
        const QString name = item.fileName();
        for (const QString &kind : workKinds) {
            const QString prefix = QLatin1Char('.') + kind + QLatin1Char('-');
            if (!name.startsWith(prefix) || name.size() <= prefix.size() + 9
                || (!all && item.lastModified().toUTC() >= stale))
                continue;
            // An entry set aside by a save that never finished goes back where it was.
            const QString base = name.mid(prefix.size(), name.size() - prefix.size() - 9);
            const QString original = QDir(folder).filePath(base);
            if (!all && kind == previousKind && !QFileInfo::exists(original) && rename(item.filePath(), original))
                continue;
            removeTree(item.filePath());
        }
    }
}

QByteArray pngData(const QImage &picture)
{
    return PngWriter::encode(picture);
}

} // namespace HistoryFiles
