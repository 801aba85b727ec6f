#include "platform/FileWrites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace FileWrites {
namespace {
bool failed(QString *error, int code)
{
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(code));
    return false;
}

QByteArray native(const QString &path) { return QFile::encodeName(path); }

QString tempBeside(const QString &folder, const QString &name)
{
    return QDir(folder).filePath(QLatin1Char('.') + name + QLatin1String(".tmp-")
                                 + QUuid::createUuid().toString(QUuid::Id128).left(8));
}

// The most names tried before giving up (a folder full of one second's files).
constexpr int maxNumber = 100000;
} // namespace

bool writeSynced(const QString &path, const QByteArray &bytes, QString *error, int mode)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
    if (fd < 0)
        return failed(error, errno);
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(native(path).constData());
            return failed(error, code);
        }
        data += n;
        left -= n;
    }
    if (::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        ::unlink(native(path).constData());
        return failed(error, code);
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(native(path).constData());
        return failed(error, code);
    }
    return true;
}

bool replaceAtomically(const QString &path, const QByteArray &bytes, QString *error, int mode)
{
    const QFileInfo info(path);
    const QString temp = tempBeside(info.path(), info.fileName());
    if (!writeSynced(temp, bytes, error, mode))
        return false;
    if (::rename(native(temp).constData(), native(path).constData()) != 0) {
        const int code = errno;
        ::unlink(native(temp).constData());
        return failed(error, code);
    }
    syncFolder(info.path());
    return true;
}

void syncFolder(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString writeNew(const QString &folder, const std::function<QString(int n)> &nameFor, const QByteArray &bytes,
                 QString *error)
{
    const QString temp = tempBeside(folder, nameFor(1));
    if (!writeSynced(temp, bytes, error))
        return QString();
    for (int n = 1; n <= maxNumber; ++n) {
        const QString path = QDir(folder).filePath(nameFor(n));
        if (::renameat2(AT_FDCWD, native(temp).constData(), AT_FDCWD, native(path).constData(), RENAME_NOREPLACE)
            == 0) {
            syncFolder(folder);
            return path;
        }
        const int code = errno;
        if (code == EEXIST)
            continue;
        if (code == EINVAL || code == ENOSYS || code == EOPNOTSUPP) {
            // A file system without the no-replace rename: a hard link fails the same way on a
            // taken name and never replaces one.
            if (::link(native(temp).constData(), native(path).constData()) == 0) {
                ::unlink(native(temp).constData());
                syncFolder(folder);
                return path;
            }
            if (errno == EEXIST)
                continue;
            const int linkCode = errno;
            ::unlink(native(temp).constData());
            failed(error, linkCode);
            return QString();
        }
        ::unlink(native(temp).constData());
        failed(error, code);
        return QString();
    }
    ::unlink(native(temp).constData());
    failed(error, EEXIST);
    return QString();
}

} // namespace FileWrites
