#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Turns the records the crash handler left into crash report files ("quillet-<time>.ips": a JSON
// header line, then the JSON body) that the report check reads.
namespace CrashStore {
// Converts every record of an earlier process in recordsFolder (complete or cut short) into a
// crash report in reportsFolder whose modification time is the crash's, then removes the
// record. Own frames are named when the record's build is this very program. Returns the paths
// of the reports written. Empty folders: the usual places.
QStringList convertPending(const QString &recordsFolder = QString(), const QString &reportsFolder = QString());

// The crash report text of one record; nothing when the text is not a record.
struct Converted {
    QString text;
    QDateTime crashed;
};
std::optional<Converted> convert(const QByteArray &record);

// The exception type the report names for a signal: EXC_BAD_ACCESS, EXC_BREAKPOINT, ...
QString exceptionType(int signal);
QString signalName(int signal);
} // namespace CrashStore
