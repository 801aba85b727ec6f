#pragma once
#include "document/CrashLog.h"
#include "document/Report.h"
#include "document/RunRecord.h"
#include "platform/SystemProbe.h"
#include "reports/ReportWindowController.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
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

// --- Hooks: a test's stand-in for scheduling the report check; the rescue alert (unset, its
// turn is logged as missing).
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
// Once per process: while this run has its record, a further call only takes the agent.
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

// --- The report check
// Lets the report check see the permissions (defaults: the platform's answers for screen
// capture and synthesized keys).
extern std::function<bool()> screenRecordingAllowed;
extern std::function<bool()> accessibilityAllowed;
// Shows the report window in crash mode with these reports (tests put their own here); unset,
// they wait in "pending" for a later check.
extern std::function<void(const QList<Report> &)> showCrashWindowHook;
// A report of this kind with the facts, the collected exceptions and diagnostics, the log and
// the state of the application now.
Report makeReport(Report::Kind kind, const QString &summary);
// The crash report of one crash log: its summary, its scrubbed text and the version that crashed.
Report crashReport(const CrashLog &log);
// Crash reports of this application newer than "reports.seen" (which moves to the newest),
// newest first, at most 3.
QList<CrashLog> findCrashLogs();
// One check: crash reports are sent or shown; otherwise the next check is scheduled, or, at
// the last, the outbox is flushed and with automatic sending one hang, exception or quit report
// goes out.
void checkPending(const QList<double> &checkTimes, double delay);
// Crash reports nobody answered, kept for the next check.
void keepPending(const QList<Report> &reports);
QList<Report> takePending();

// --- Sending (outbox and upload)
// The one network access manager of reports and statistics (main thread).
QNetworkAccessManager &network();
// The report endpoint: "QLReportURL" when it is an https URL; empty otherwise, and then no
// report leaves the machine (they wait in the outbox).
QUrl endpoint();
QString hex(const QByteArray &digest);
// Writes the report to the outbox, removes the collected files it carries, uploads it; the
// completion gets whether it went through, on the main thread.
void send(const Report &report, std::function<void(bool sent)> completion = {});
// One PUT of body to endpoint()/id; the completion runs on the main thread.
void upload(const QByteArray &body, const QString &id, std::function<void(bool sent)> completion);
// Uploads the reports the outbox holds, each once at a time; removes whatever is 30 days old.
void flushOutbox();
// Seconds a transfer may take before it counts as not sent (tests shorten it).
extern int uploadTimeoutMs;
// The exception and diagnostic files a report made by makeReport carries, by report id;
// send removes exactly these.
void noteCollected(const QString &reportId, const QStringList &paths);

// --- The report window
// The window asking now, if any.
extern QPointer<ReportWindowController> openWindow;
// Asks about these reports in a new window. A crash window that comes while another is open
// waits for it; a problem report while a crash window is open brings that one forward; a
// problem report replaces an open problem report (a cancel for it).
void showWindow(ReportWindowController::Mode mode, const QList<Report> &reports);
// What the user is told once reports from the window are handed on: sent, kept for the next
// start, or, in a build with no report address, saved in the outbox (kept) and for how long.
QString sentWords(bool sent, bool kept);
// "Report a Problem…": one feedback report of this moment in a new window.
void reportProblem();
// At quit: crash reports nobody answered yet go to "pending" for the next check.
void keepUnanswered();

// --- The rescue alert
// Asks with a modal warning alert; answers the index of the button chosen (-1: none).
// Tests put scripted answers here.
extern std::function<int(const QString &text, const QString &informative, const QStringList &buttons)> askAlert;
// The keys "Reset Settings" keeps: the report identity and choices, and the statistics consent.
const QStringList &keptByReset();

// "--report-check": builds a crash report in folder/reports-state and checks it and both window
// modes line by line on standard output; writes report.json and pictures of the windows into
// the folder. Answers the exit status: 0 when every check passed, else 1.
int selfCheck(const QString &folder);

// "--report-send-test": sends a feedback report, prints "sent <id>" or "NOT sent <id>" and
// ends the event loop with 0 or 1 (an unsent report stays in the outbox).
void sendTest();

// --- The crash test
void armCrashTest(double seconds);
[[noreturn]] void deliberateCrashForTesting();
} // namespace Reports
