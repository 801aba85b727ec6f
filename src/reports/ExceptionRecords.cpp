#include "Reports.h"

#include "reports/CrashCapture.h"
#include "reports/ReportFiles.h"
#include "reports/Symbols.h"

#include "app/ActivityLog.h"
#include "document/Scrub.h"
#include "platform/Paths.h"
#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cxxabi.h>
#include <execinfo.h>
#include <mutex>
#include <typeinfo>
#include <unistd.h>

namespace Reports {
namespace {
constexpr int keptRecords = 5;
constexpr int stackLines = 40;

std::timed_mutex &recordLock()
{
    static std::timed_mutex lock;
    return lock;
}

// The folder's entries that count: our own temporary files start with a dot.
int countEntries(const QString &path)
{
    return int(QDir(path).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Writes text under "<13-digit ms>-<nn>.txt": written whole under a hidden name first, then
// linked to the first free name of that millisecond, so that no record replaces another and a
// reader never sees half of one. Names sort in time order.
void writeRecord(const QString &folder, const QByteArray &text)
{
    const QString temporary = QDir(folder).filePath(
        QStringLiteral(".") + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".tmp"));
    if (PrivateFiles::writeNew(temporary, text)) {
        const QString ms = QStringLiteral("%1").arg(wallClock().toMSecsSinceEpoch(), 13, 10, QLatin1Char('0'));
        const QByteArray from = QFile::encodeName(temporary);
        for (int n = 0; n < 100; ++n) {
            const QString name = ms + QStringLiteral("-%1.txt").arg(n, 2, 10, QLatin1Char('0'));
            const QByteArray to = QFile::encodeName(QDir(folder).filePath(name));
            if (::link(from.constData(), to.constData()) == 0 || errno != EEXIST)
                break;
        }
    }
    QFile::remove(temporary);
}

QString currentTypeName()
{
    const std::type_info *type = abi::__cxa_current_exception_type();
    return type ? Symbols::demangle(type->name()) : QStringLiteral("unknown exception");
}

QString currentReason()
{
    try {
        throw;
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
    }
    return QString();
}
} // namespace

void recordException(const QString &name, const QString &reason, const QStringList &stack, bool uncaught)
{
    const QString text = (uncaught ? QStringLiteral("Uncaught ") : QStringLiteral("Caught ")) + name
                         + QStringLiteral(": ") + reason + QLatin1Char('\n')
                         + stack.mid(0, stackLines).join(QLatin1Char('\n'));
    activityLog((uncaught ? QStringLiteral("uncaught") : QStringLiteral("caught"))
                + QStringLiteral(" exception ") + name + QStringLiteral(": ") + reason);

    // Threads that record at once take turns, so the limit holds; a process that is ending
    // does not wait long for it.
    std::unique_lock<std::timed_mutex> guard(recordLock(), std::defer_lock);
    if (!guard.try_lock_for(std::chrono::seconds(1)))
        return;
    const QString folder = exceptionsFolder();
    PrivateFiles::makeFolder(folder);
    if (countEntries(folder) >= keptRecords)
        return;
    writeRecord(folder, Scrub::text(text, Paths::identity()).toUtf8());
}

void recordCurrentException(bool uncaught)
{
    recordException(currentTypeName(), currentReason(), Symbols::currentStack(1, stackLines), uncaught);
}

void uncaughtExceptionHandler()
{
    void *frames[128];
    const int count = backtrace(frames, 128);
    // Without this handler's own frame the record's first frames lead to the throw.
    if (count > 1)
        CrashCapture::noteTerminateFrames(frames + 1, count - 1);
    if (std::current_exception())
        recordException(currentTypeName(), currentReason(),
                        Symbols::describe(frames + 1, std::min(count - 1, stackLines)), true);
    std::abort();
}

QStringList texts(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    QStringList result;
    for (const QString &name : names.mid(0, keptRecords)) {
        if (const std::optional<QByteArray> text = ReportFiles::read(QDir(folder).filePath(name), RegularFile::recordCap))
            result << QString::fromUtf8(*text);
    }
    return result;
}

} // namespace Reports
