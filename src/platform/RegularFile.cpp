#include "RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {
namespace {
Contents refused(Status status, const QString &error)
{
    Contents c;
    c.status = status;
    c.error = error;
    return c;
}

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Fewer calls for ordinary files, never more than the cap plus one chunk in memory.
constexpr qint64 chunk = 256 * 1024;
} // namespace

Contents read(const QString &path, qint64 maxBytes, Links links)
{
    // Non-blocking, so that opening a FIFO with no writer returns at once; the type is checked on
    // the open descriptor, so a swap between a check and the open cannot fool it.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) {
        const int code = errno;
        if (code == ELOOP && links == Links::refuse)
            return refused(Status::notRegular, QStringLiteral("a link"));
        return refused(code == ENOENT ? Status::missing : Status::failed, systemError(code));
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};

    struct stat before;
    if (::fstat(fd, &before) != 0)
        return refused(Status::failed, systemError(errno));
    if (!S_ISREG(before.st_mode))
        return refused(Status::notRegular, QStringLiteral("not a regular file"));
    if (before.st_size > maxBytes)
        return refused(Status::tooLarge, QStringLiteral("larger than %1 bytes").arg(maxBytes));

    QByteArray data;
    data.reserve(qsizetype(before.st_size));
    for (;;) {
        const qint64 room = std::min<qint64>(chunk, maxBytes + 1 - data.size());
        const qsizetype at = data.size();
        data.resize(at + qsizetype(room));
        const ssize_t n = ::read(fd, data.data() + at, size_t(room));
        if (n < 0) {
            data.resize(at);
            if (errno == EINTR)
                continue;
            return refused(Status::failed, systemError(errno));
        }
        data.resize(at + n);
        if (n == 0)
            break;
        if (data.size() > maxBytes)
            return refused(Status::tooLarge, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }
    struct stat after;
    if (::fstat(fd, &after) != 0)
        return refused(Status::failed, systemError(errno));
    if (after.st_size != before.st_size || qint64(data.size()) != qint64(after.st_size))
        return refused(Status::changed, QStringLiteral("it changed while it was read"));
    Contents c;
    c.status = Status::ok;
    c.data = std::move(data);
    return c;
}

QImage readImage(const QString &path, Links links, QString *error, qint64 maxBytes, qint64 maxPixels)
{
    const Contents contents = read(path, maxBytes, links);
    if (!contents.ok()) {
        if (error)
            *error = contents.error;
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(contents.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() <= 0 || size.height() <= 0 || size.width() > maxPixels / size.height())) {
        if (error)
            *error = QStringLiteral("more than %1 pixels").arg(maxPixels);
        return QImage();
    }
    QImage image;
    if (!reader.read(&image)) {
        if (error)
            *error = reader.errorString();
        return QImage();
    }
    return image;
}

} // namespace RegularFile
