#pragma once
#include "document/Report.h"
#include "document/RunRecord.h"
#include "platform/SystemProbe.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Scheduler;
class Updates;

// The report bookkeeping: the run record and how the previous run ended, exception records,
// hang diagnostics, crash capture, and the facts every report carries. Main thread unless said.
namespace Reports {
// --- Process-wide values
extern std::optional<RunRecord> currentRun;
extern RunRecord::Ending lastRunEnding;
extern QPointer<Updates> updates;
extern QString folderOverride; // only the report self-check sets it

// --- Seams: the clock and timers (null: the system's), the wall clock for dates.
extern Scheduler *scheduler;
extern std::function<QDateTime()> wallClock;
// Seconds the main thread may stall before a hang is noted (tests shorten it).
extern double hangThreshold;

// --- Hooks the report check and the rescue alert fill; unset, their turn is logged as missing.
extern std::function<void(const QList<double> &checkTimes, double delay)> checkLaterHook;
extern std::function<void()> rescueAlertHook;

// --- Folders
QString folder();
QString outboxFolder();
QString exceptionsFolder();
QString diagnosticsFolder();
QString runRecordPath();

// --- Launch and quit (the launch sequence calls these)
// Folders, the previous run's ending, the early-death count, a fresh run record, the launch
// line, crash capture and the uncaught-exception handler, the hang watch, the settle mark 20 s
// later, then the report check 2 s later or, after three deaths at launch, the rescue alert.
void start(Updates *updatesAgent);
void settle(const std::shared_ptr<RunRecord> &box);
// Marks this run as ended by a normal quit.
void noteCleanQuit();
void writeRunRecord(const RunRecord &record);
std::optional<QDateTime> seenDate();
void checkLater(const QList<double> &checkTimes, double delay);
void rescueAlert();
// Stops the hang watch and the pending settle mark (tests; the end of the process).
void stop();

// --- Exceptions
// Logs the exception and stores it as a record in "exceptions" unless 5 are already there.
void recordException(const QString &name, const QString &reason, const QStringList &stack, bool uncaught);
// From inside a catch block: the current exception's type, what() and this thread's stack.
void recordCurrentException(bool uncaught);
// The std::terminate handler: records the uncaught exception, then aborts.
[[noreturn]] void uncaughtExceptionHandler();
// The texts of a folder's first 5 entries by name.
QStringList texts(const QString &folder);

// --- Diagnostics: one payload of the system's diagnostics service.
struct DiagnosticPayload {
    int crashes = 0;
    int hangs = 0;
    QByteArray json;
};
// Any thread. Logs every payload; stores those with a hang, scrubbed, while fewer than 5 are kept.
void storeDiagnostics(const QList<DiagnosticPayload> &payloads);

// --- Facts
Report::App appInfo();
Report::System systemInfo();
QString screenText(const SystemProbe::Screen &screen);
QString installID();

// --- The crash test
void armCrashTest(double seconds);
[[noreturn]] void deliberateCrashForTesting();
} // namespace Reports
