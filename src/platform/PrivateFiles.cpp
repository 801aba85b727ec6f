#include "PrivateFiles.h"

#include "platform/FileWrites.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFiles {
namespace {
// Narrows one entry seen through its parent folder's descriptor, never following a link;
// descends into folders. depth stops a pathological tree.
void tightenAt(int parent, const char *name, int depth)
{
    struct stat st;
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != ::geteuid())
        return;
    if (S_ISREG(st.st_mode)) {
        if ((st.st_mode & 0177) != 0)
            ::fchmodat(parent, name, st.st_mode & 0600, 0);
        return;
    }
    if (!S_ISDIR(st.st_mode))
        return;
    if ((st.st_mode & 0777) != 0700)
        ::fchmodat(parent, name, 0700, 0);
    if (depth <= 0)
        return;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        tightenAt(::dirfd(dir), e->d_name, depth - 1);
    }
    ::closedir(dir);
}
} // namespace

bool makeFolder(const QString &path)
{
    if (!Paths::makePrivateFolder(path))
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
        && (st.st_mode & 0777) != 0700)
        ::chmod(native.constData(), 0700);
    return true;
}

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    makeFolder(QFileInfo(path).path());
    return FileWrites::replaceAtomically(path, bytes, error, FileWrites::ownerOnly);
}

bool writeNew(const QString &path, const QByteArray &bytes, QString *error)
{
    makeFolder(QFileInfo(path).path());
    return FileWrites::writeSynced(path, bytes, error, FileWrites::ownerOnly);
}

void tighten(const QString &root)
{
    const QFileInfo info(root);
    tightenAt(AT_FDCWD, QFile::encodeName(QDir::cleanPath(info.absoluteFilePath())).constData(), 32);
}

void tightenHomes()
{
    tighten(Paths::vellumDir());
    tighten(Paths::logDir());
}

} // namespace PrivateFiles
