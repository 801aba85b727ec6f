#include "Reports.h"

#include "reports/CrashCapture.h"
#include "reports/HangWatch.h"
#include "reports/ReportFiles.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include <QTimer> // before Updates.h, which needs it whole
#include "app/Updates.h"
#include "document/IsoDate.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"
#include "platform/Scheduler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <exception>

namespace Reports {

std::optional<RunRecord> currentRun;
RunRecord::Ending lastRunEnding = RunRecord::Ending::none;
QPointer<Updates> updates;
QString folderOverride;
Scheduler *scheduler = nullptr;
std::function<QDateTime()> wallClock = [] { return QDateTime::currentDateTimeUtc(); };
double hangThreshold = 2.0;
std::function<void(const QList<double> &, double)> checkLaterHook;
std::function<void()> rescueAlertHook;

namespace {
const QString earlyDeathsKey = QStringLiteral("reports.earlyDeaths");
const QString seenKey = QStringLiteral("reports.seen");

Scheduler &clock()
{
    return scheduler ? *scheduler : Scheduler::system();
}

Scheduler::Ticket settleTicket = 0;
QPointer<HangWatch> hangWatch;

std::optional<RunRecord> readRunRecord()
{
    const std::optional<QByteArray> json = ReportFiles::read(runRecordPath(), RegularFile::recordCap);
    if (!json)
        return std::nullopt;
    return RunRecord::fromJson(*json);
}
} // namespace

QString folder()
{
    return folderOverride.isEmpty() ? Paths::reportsDir() : folderOverride;
}

QString outboxFolder() { return folder() + QStringLiteral("/outbox"); }
QString exceptionsFolder() { return folder() + QStringLiteral("/exceptions"); }
QString diagnosticsFolder() { return folder() + QStringLiteral("/diagnostics"); }
QString runRecordPath() { return folder() + QStringLiteral("/run.json"); }

void writeRunRecord(const RunRecord &record)
{
    // Written whole under another name, then renamed over the old record, so that a reader
    // sees one or the other; only the user may read it.
    QString error;
    if (!PrivateFiles::write(runRecordPath(), record.toJson(), &error))
        activityLog(QStringLiteral("reports: run record not written: ") + error);
}

std::optional<QDateTime> seenDate()
{
    const std::optional<QString> text = Prefs::store().stringValue(seenKey);
    if (!text)
        return std::nullopt;
    QDateTime date = QDateTime::fromString(*text, Qt::ISODateWithMs);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

void start(Updates *updatesAgent)
{
    updates = updatesAgent;
    // One run record per process: a later delegate of the same process (tests) starts nothing.
    if (currentRun)
        return;
    // Reports hold file names, the log and the user's own words: older versions left them open
    // to others.
    PrivateFiles::tightenHomes();
    for (const QString &path : {folder(), outboxFolder(), exceptionsFolder(), diagnosticsFolder()})
        PrivateFiles::makeFolder(path);

    const std::optional<RunRecord> previous = readRunRecord();
    lastRunEnding = RunRecord::ending(previous);

    Preferences &prefs = Prefs::store();
    const std::optional<qint64> storedDeaths = prefs.intValue(earlyDeathsKey);
    const qint64 deaths = RunRecord::nextEarlyDeaths(storedDeaths.value_or(0), lastRunEnding);
    if (storedDeaths != deaths)
        prefs.setValue(earlyDeathsKey, deaths);

    const QDateTime now = wallClock();
    if (!seenDate())
        prefs.setValue(seenKey, (previous ? previous->launched : now).toUTC().toString(Qt::ISODateWithMs));

    const Report::App app = appInfo();
    auto box = std::make_shared<RunRecord>(now, app.version, app.build);
    writeRunRecord(*box);
    currentRun = *box;

    const Report::System system = systemInfo();
    activityLog(QStringLiteral("launch Quillet %1 (%2, %3) %4 on %5, %6; last run ended: %7")
                    .arg(app.version, app.build, app.commit, app.bundleID, system.os, system.model,
                         RunRecord::endingName(lastRunEnding)));

    CrashCapture::install(Paths::crashesDir(), {app.version, app.build, app.commit, app.bundleID});
    std::set_terminate(uncaughtExceptionHandler);

    if (!hangWatch && QCoreApplication::instance())
        hangWatch = new HangWatch(hangThreshold, QCoreApplication::instance());

    clock().cancel(settleTicket);
    settleTicket = clock().after(RunRecord::settleSeconds, [box] { settle(box); });

    if (prefs.intValue(earlyDeathsKey).value_or(0) < RunRecord::rescueThreshold) {
        const bool lookAgain = lastRunEnding == RunRecord::Ending::unexpected
                               || lastRunEnding == RunRecord::Ending::diedAtLaunch;
        checkLater(lookAgain ? QList<double>{10, 30} : QList<double>{}, 2.0);
    } else {
        rescueAlert();
    }
}

void settle(const std::shared_ptr<RunRecord> &box)
{
    settleTicket = 0;
    box->settled = true;
    if (currentRun && currentRun->clean)
        return;
    writeRunRecord(*box);
    currentRun = *box;
}

void noteCleanQuit()
{
    if (!currentRun)
        return;
    RunRecord record = *currentRun;
    record.clean = true;
    writeRunRecord(record);
    currentRun = record;
    activityLog(QStringLiteral("quit"));
}

void checkLater(const QList<double> &checkTimes, double delay)
{
    if (checkLaterHook) {
        checkLaterHook(checkTimes, delay);
        return;
    }
    clock().after(delay, [checkTimes, delay] { checkPending(checkTimes, delay); });
}

void stop()
{
    clock().cancel(settleTicket);
    settleTicket = 0;
    delete hangWatch.data();
}

void armCrashTest(double seconds)
{
    activityLog(QStringLiteral("crash test armed"));
    clock().after(seconds, [] { deliberateCrashForTesting(); });
}

} // namespace Reports
