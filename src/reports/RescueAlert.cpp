#include "Reports.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"

#include <QTimer> // before Updates.h, which needs it whole
#include "app/Updates.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace Reports {

std::function<int(const QString &, const QString &, const QStringList &)> askAlert =
    [](const QString &text, const QString &informative, const QStringList &buttons) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillet™"), text);
        box.setInformativeText(informative);
        QList<QAbstractButton *> made;
        for (const QString &title : buttons)
            made << box.addButton(title, made.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
        box.setDefaultButton(qobject_cast<QPushButton *>(made.value(0)));
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        return int(made.indexOf(box.clickedButton()));
    };

const QStringList &keptByReset()
{
    static const QStringList keys = {
        QStringLiteral("reports.install"), QStringLiteral("reports.auto"), QStringLiteral("reports.seen"),
        QStringLiteral("stats.share"), QStringLiteral("stats.id"), QStringLiteral("stats.lastSent"),
        QStringLiteral("stats.lastCount"),
    };
    return keys;
}

void rescueAlert()
{
    if (rescueAlertHook) {
        rescueAlertHook();
        return;
    }
    Preferences &prefs = Prefs::store();
    const qint64 deaths = prefs.intValue(QStringLiteral("reports.earlyDeaths")).value_or(0);
    activityLog(QStringLiteral("rescue alert: %1 launches in a row ended early").arg(deaths));
    const QList<CrashLog> logs = findCrashLogs();
    // A build without a report address saves the report instead, and says where.
    const bool sends = BuildInfo::sendsReports();
    // A build without an updater (no update feed) cannot look for a fixed version.
    const bool checks = updates && updates->controller();
    const QString first = QString(sends ? QStringLiteral("Send Report") : QStringLiteral("Save Report"))
                          + (checks ? QStringLiteral(" and Check for Updates") : QString());
    const QString why = sends ? QStringLiteral("Sending a report gets it fixed, and a fixed version may already be out.")
                              : QStringLiteral("This copy of Quillet™ sends no reports: saving one keeps it in %1 for 30 "
                                               "days, for you to pass on to the developer. A fixed version may already "
                                               "be out.").arg(PlatformText::pathShown(outboxFolder()));
    const int answer = askAlert(
        QStringLiteral("Quillet™ keeps quitting when it opens"),
        QStringLiteral("It has stopped %1 times in a row. %2 Starting with default settings can also help: your "
                       "captures are kept, your shortcuts and preferences go back to how they were on day one.")
            .arg(deaths).arg(why),
        {first, QStringLiteral("Reset Settings"), QStringLiteral("Just Open")});
    prefs.setValue(QStringLiteral("reports.earlyDeaths"), 0);

    if (answer == 0) {
        QList<Report> reports;
        for (const CrashLog &log : logs)
            reports << crashReport(log);
        if (logs.isEmpty())
            reports << makeReport(Report::Kind::quit, QStringLiteral("Quillet quit at launch several times in a row"));
        for (const Report &r : reports)
            send(r);
        if (checks)
            updates->checkForUpdates();
    } else if (answer == 1 && !BuildInfo::bundleIdentifier().isEmpty()) {
        installID(); // made now when there is none, so that it is kept
        prefs.removeAllExcept(keptByReset());
        activityLog(QStringLiteral("settings reset from the rescue alert"));
    }
}

} // namespace Reports
