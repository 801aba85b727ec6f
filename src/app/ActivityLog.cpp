#include "ActivityLog.h"

#include "document/Scrub.h"
#include "document/Text.h"
#include "platform/Paths.h"
#include "platform/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace {
std::mutex &logLock()
{
    static std::mutex lock;
    return lock;
}

struct LogState {
    std::unique_ptr<QFile> handle;
    qint64 written = 0;
};

LogState &state()
{
    static LogState s;
    return s;
}

QString timeStamp(bool fractions)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.toString(fractions ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")
                                  : QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

// The logs hold file paths: only their owner may read them. Opened non-blocking, so that
// something odd in their place (a FIFO) never stalls the caller; anything but a regular file is
// left alone. A log made by an older version with wider rights is narrowed.
int openPrivateLog(const QString &path)
{
    Paths::makePrivateFolder(ActivityLog::folder());
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    if ((st.st_mode & 0077) != 0)
        ::fchmod(fd, 0600);
    return fd;
}

void openActivityLog()
{
    LogState &s = state();
    const int fd = openPrivateLog(ActivityLog::logPath());
    if (fd < 0)
        return;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return;
    }
    s.written = file->size();
    s.handle = std::move(file);
}

void rotateActivityLog()
{
    LogState &s = state();
    if (s.handle) {
        s.handle->close();
        s.handle.reset();
    }
    QFile::remove(ActivityLog::previousLogPath());
    QFile::rename(ActivityLog::logPath(), ActivityLog::previousLogPath());
    openActivityLog();
}

// Far above what the rollover lets a log grow to; a larger file is not ours.
constexpr qint64 logReadCap = 16 * 1024 * 1024;

QString readUtf8(const QString &path)
{
    return QString::fromUtf8(RegularFile::read(path, logReadCap).data);
}
} // namespace

namespace ActivityLog {
QString folder() { return Paths::logDir(); }
QString logPath() { return folder() + QStringLiteral("/app.log"); }
QString previousLogPath() { return folder() + QStringLiteral("/app.1.log"); }
QString captureLogPath() { return folder() + QStringLiteral("/capture.log"); }

void closeForTesting()
{
    std::lock_guard<std::mutex> guard(logLock());
    state().handle.reset();
    state().written = 0;
}
} // namespace ActivityLog

void activityLog(const QString &message)
{
    QString text = message;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray line = (timeStamp(true) + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8();

    std::lock_guard<std::mutex> guard(logLock());
    LogState &s = state();
    if (!s.handle)
        openActivityLog();
    if (s.written > ActivityLog::rolloverBytes)
        rotateActivityLog();
    if (!s.handle)
        return;
    if (s.handle->write(line) == line.size() && s.handle->flush()) {
        s.written += line.size();
    } else {
        // Lose this line; the next message opens the file again.
        s.handle.reset();
    }
}

QString activityLogTail(qint64 maxBytes)
{
    std::lock_guard<std::mutex> guard(logLock());
    if (state().handle)
        state().handle->flush();
    QString text = readUtf8(ActivityLog::logPath());
    if (text.toUtf8().size() < maxBytes)
        text = readUtf8(ActivityLog::previousLogPath()) + text;
    return Scrub::text(Text::tail(text, maxBytes), Paths::identity());
}

void appendCaptureLog(const QString &text)
{
    const QByteArray line = (timeStamp(false) + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8();
    // Open for appending, creating the file when it is missing; any other failure drops the line
    // instead of replacing what the file holds.
    const int fd = openPrivateLog(ActivityLog::captureLogPath());
    if (fd < 0) {
        activityLog(QStringLiteral("capture: cannot open capture.log: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    qsizetype off = 0;
    while (off < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + off, size_t(line.size() - off));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            activityLog(QStringLiteral("capture: cannot write capture.log: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
            break;
        }
        off += n;
    }
    ::close(fd);
}
