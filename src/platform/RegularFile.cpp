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

struct FdCloser {
    int fd = -1;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens path for reading when it is a regular file of at most maxBytes: the descriptor in
// *closer and its status in *st, else a refusal. Non-blocking, so that opening a FIFO with no
// writer returns at once; the type is checked on the open descriptor, so a swap between a check
// and the open cannot fool it.
Contents openRegular(const QString &path, qint64 maxBytes, Links links, FdCloser *closer, struct stat *st)
{
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) {
        const int code = errno;
        if (code == ELOOP && links == Links::refuse)
            return refused(Status::notRegular, QStringLiteral("a link"));
        return refused(code == ENOENT ? Status::missing : Status::failed, systemError(code));
    }
    closer->fd = fd;
    if (::fstat(fd, st) != 0)
        return refused(Status::failed, systemError(errno));
    if (!S_ISREG(st->st_mode))
        return refused(Status::notRegular, QStringLiteral("not a regular file"));
    if (st->st_size > maxBytes)
        return refused(Status::tooLarge, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    Contents c;
    c.status = Status::ok;
    return c;
}
} // namespace

Status check(const QString &path, qint64 maxBytes, Links links, QString *error)
{
    FdCloser closer;
    struct stat st;
    const Contents opened = openRegular(path, maxBytes, links, &closer, &st);
    if (error)
        *error = opened.error;
    return opened.status;
}

Contents read(const QString &path, qint64 maxBytes, Links links)
{
    FdCloser closer;
    struct stat before;
    if (Contents opened = openRegular(path, maxBytes, links, &closer, &before); !opened.ok())
        return opened;
    const int fd = closer.fd;

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

QImage decodeImage(const QByteArray &data, qint64 maxPixels, QSize maxSize, QString *error)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    const auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (maxSize.isValid()) {
        if (!size.isValid())
            return refuse(QStringLiteral("it gives no size"));
        if (size.width() > maxSize.width() || size.height() > maxSize.height())
            return refuse(QStringLiteral("damaged: %1 x %2 pixels, larger than it is written")
                              .arg(size.width())
                              .arg(size.height()));
    }
    if (size.isValid() && (size.width() <= 0 || size.height() <= 0 || size.width() > maxPixels / size.height()))
        return refuse(QStringLiteral("more than %1 pixels").arg(maxPixels));
    QImage image;
    if (!reader.read(&image))
        return refuse(reader.errorString());
    if (qint64(image.width()) * image.height() > maxPixels
        || (maxSize.isValid() && (image.width() > maxSize.width() || image.height() > maxSize.height())))
        return refuse(QStringLiteral("larger than its header said"));
    return image;
}

QImage readImage(const QString &path, Links links, QString *error, qint64 maxBytes, qint64 maxPixels)
{
    const Contents contents = read(path, maxBytes, links);
    if (!contents.ok()) {
        if (error)
            *error = contents.error;
        return QImage();
    }
    return decodeImage(contents.data, maxPixels, QSize(), error);
}

QImage readImage(const QString &path, Links links, QSize maxSize, QString *error)
{
    const Contents contents = read(path, pictureCap, links);
    if (!contents.ok()) {
        if (error)
            *error = contents.error;
        return QImage();
    }
    return decodeImage(contents.data, qint64(maxSize.width()) * maxSize.height(), maxSize, error);
}

} // namespace RegularFile
