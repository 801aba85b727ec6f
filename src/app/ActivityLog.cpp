#include "ActivityLog.h"

#include "document/Scrub.h"
#include "document/Text.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

void openActivityLog()
{
    LogState &s = state();
    QDir().mkpath(ActivityLog::folder());
    auto file = std::make_unique<QFile>(ActivityLog::logPath());
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
        return;
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

QString readUtf8(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
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
    QDir().mkpath(ActivityLog::folder());
    const QByteArray line = (timeStamp(false) + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8();
    // Open for appending, creating the file when it is missing; any other failure drops the line
    // instead of replacing what the file holds. Non-blocking, so that something odd in its place
    // (a FIFO) never stalls the main thread.
    const QByteArray path = QFile::encodeName(ActivityLog::captureLogPath());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
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
