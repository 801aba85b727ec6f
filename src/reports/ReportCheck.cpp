#include "Reports.h"

#include "reports/CrashStore.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "capture/CaptureSession.h"
#include "platform/BuildInfo.h"
#include "platform/Paths.h"
#include "platform/Permissions.h"
#include "platform/Preferences.h"
#include "platform/Scheduler.h"

#include <QTimer> // before Updates.h, which needs it whole
#include "app/Updates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUuid>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace Reports {

std::function<bool()> screenRecordingAllowed = [] { return Permissions::shared().screen().allowed; };
std::function<bool()> accessibilityAllowed = [] { return Permissions::shared().access().allowed; };

namespace {
Scheduler &clock()
{
    return scheduler ? *scheduler : Scheduler::system();
}

QString flag(const QString &key)
{
    return Prefs::store().boolValue(key).value_or(false) ? QStringLiteral("true") : QStringLiteral("false");
}

QString pendingFolder()
{
    return folder() + QStringLiteral("/pending");
}

// The paths of a folder's first 5 entries by name: the ones texts() reads.
QStringList firstEntries(const QString &path)
{
    QStringList paths;
    for (const QString &name : QDir(path).entryList(QDir::Files, QDir::Name).mid(0, 5))
        paths << QDir(path).filePath(name);
    return paths;
}
} // namespace

Report makeReport(Report::Kind kind, const QString &summary)
{
    const QDateTime began = wallClock();
    QMap<QString, QString> state;
    state.insert(QStringLiteral("screenRecording"), screenRecordingAllowed() ? QStringLiteral("granted") : QStringLiteral("missing"));
    state.insert(QStringLiteral("accessibility"), accessibilityAllowed() ? QStringLiteral("granted") : QStringLiteral("missing"));
    state.insert(QStringLiteral("devMode"), flag(QStringLiteral("dev.captureSelf")));
    state.insert(QStringLiteral("hideFromDock"), flag(QStringLiteral("dock.hidden")));
    state.insert(QStringLiteral("historyPaused"), flag(QStringLiteral("history.paused")));
    state.insert(QStringLiteral("halfSize"), flag(QStringLiteral("export.halfSize")));
    state.insert(QStringLiteral("canvasOpen"), CaptureSession::currentSession() ? QStringLiteral("true") : QStringLiteral("false"));
    state.insert(QStringLiteral("lastRunEnded"), RunRecord::endingName(lastRunEnding));
    const QDateTime launched = currentRun ? currentRun->launched : began;
    state.insert(QStringLiteral("uptime"), QStringLiteral("%1 s").arg(launched.msecsTo(began) / 1000));

    Report r(QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(), kind, began, appInfo(), systemInfo(),
             installID(), summary, QString(), state);
    const QStringList exceptionFiles = firstEntries(exceptionsFolder());
    const QStringList diagnosticFiles = firstEntries(diagnosticsFolder());
    const QStringList exceptionTexts = texts(exceptionsFolder());
    const QStringList diagnosticTexts = texts(diagnosticsFolder());
    if (!exceptionTexts.isEmpty())
        r.exception = exceptionTexts.join(QStringLiteral("\n\n"));
    if (!diagnosticTexts.isEmpty())
        r.diagnostics = diagnosticTexts;
    r.log = activityLogTail(60000);
    noteCollected(r.id, exceptionFiles + diagnosticFiles);
    return r;
}

Report crashReport(const CrashLog &log)
{
    Report r = makeReport(Report::Kind::crash, log.summary());
    r.crash = log.scrubbed;
    if (!log.version.isEmpty())
        r.state.insert(QStringLiteral("crashedVersion"), log.version + QStringLiteral(" (") + log.build + QLatin1Char(')'));
    return r;
}

QList<CrashLog> findCrashLogs()
{
    CrashStore::convertPending();
    const QString folder = Paths::crashReportsDir();
    const std::optional<QDateTime> seen = seenDate();
    QFileInfoList entries;
    for (const QFileInfo &entry : QDir(folder).entryInfoList({QStringLiteral("quillet-*.ips")}, QDir::Files)) {
        const QDateTime modified = entry.lastModified();
        if (modified.isValid() && (!seen || modified.toUTC() > *seen))
            entries << entry;
    }
    std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() > b.lastModified();
    });
    if (!entries.isEmpty())
        Prefs::store().setValue(QStringLiteral("reports.seen"),
                                entries.first().lastModified().toUTC().toString(Qt::ISODateWithMs));
    // The files are read and parsed side by side; the order stays newest first.
    const Scrub::Identity who = Paths::identity();
    const QList<std::optional<CrashLog>> read = QtConcurrent::blockingMapped(
        entries.mid(0, 3), [who](const QFileInfo &entry) -> std::optional<CrashLog> {
            QFile file(entry.filePath());
            if (!file.open(QIODevice::ReadOnly))
                return std::nullopt;
            return CrashLog::read(QString::fromUtf8(file.readAll()), who);
        });
    QList<CrashLog> logs;
    const QString bundle = BuildInfo::bundleIdentifier();
    for (const std::optional<CrashLog> &log : read)
        if (log && !bundle.isEmpty() && log->bundleID == bundle)
            logs << *log;
    return logs;
}

void keepPending(const QList<Report> &reports)
{
    QDir().mkpath(pendingFolder());
    for (const Report &r : reports) {
        QFile file(pendingFolder() + QLatin1Char('/') + r.id + QStringLiteral(".json"));
        if (file.open(QIODevice::WriteOnly))
            file.write(r.encode(false));
    }
}

QList<Report> takePending()
{
    QList<Report> reports;
    QDir dir(pendingFolder());
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            if (const std::optional<Report> r = Report::fromJson(file.readAll()))
                reports << *r;
        file.remove();
    }
    return reports;
}

void checkPending(const QList<double> &checkTimes, double delay)
{
    const QList<CrashLog> logs = findCrashLogs();
    // Without a report address nothing goes automatically: the user is asked, and can save.
    const bool automatic = BuildInfo::sendsReports()
                           && Prefs::store().boolValue(QStringLiteral("reports.auto")).value_or(false);
    QList<Report> crashes = takePending();
    if (!logs.isEmpty()) {
        flushOutbox();
        activityLog(QStringLiteral("found crash log: ") + logs.first().summary());
        if (updates && updates->controller())
            updates->controller()->checkForUpdatesInBackground();
        for (const CrashLog &log : logs)
            crashes << crashReport(log);
    }
    if (!crashes.isEmpty()) {
        if (automatic) {
            for (const Report &r : crashes)
                send(r);
        } else if (showCrashWindowHook) {
            showCrashWindowHook(crashes);
        } else {
            // Offered again at the next check, once there is a window to ask in.
            keepPending(crashes);
            activityLog(QStringLiteral("reports: no window to ask in; %1 crash report(s) wait").arg(crashes.size()));
        }
        return;
    }
    if (!checkTimes.isEmpty()) {
        checkLater(checkTimes.mid(1), checkTimes.first() - delay);
        return;
    }
    flushOutbox();
    if (!automatic)
        return;
    std::optional<Report::Kind> kind;
    QString summary;
    const QStringList diagnostics = texts(diagnosticsFolder());
    if (std::any_of(diagnostics.begin(), diagnostics.end(), [](const QString &t) { return t.contains(QLatin1String("hangDiagnostics")); })) {
        kind = Report::Kind::hang;
        summary = QStringLiteral("Quillet was not responding");
    } else if (!texts(exceptionsFolder()).isEmpty()) {
        kind = Report::Kind::exception;
        summary = QStringLiteral("An error was caught while Quillet kept running");
    } else if (lastRunEnding == RunRecord::Ending::unexpected) {
        kind = Report::Kind::quit;
        summary = QStringLiteral("The last run ended without a normal quit and without a crash log");
    }
    if (kind)
        send(makeReport(*kind, summary));
}

} // namespace Reports
