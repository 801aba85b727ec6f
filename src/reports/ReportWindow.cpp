#include "Reports.h"

#include "reports/ReportWindowController.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "platform/BuildInfo.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"

#include <QCursor>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <memory>

namespace Reports {

QPointer<ReportWindowController> openWindow;
std::function<void(const QList<Report> &)> showCrashWindowHook = [](const QList<Report> &reports) {
    showWindow(ReportWindowController::Mode::crash, reports);
};

namespace {
using Mode = ReportWindowController::Mode;

// Crash reports that came while another report window was open; they are asked next.
QList<Report> &waitingCrashes()
{
    static QList<Report> reports;
    return reports;
}

void showWaiting()
{
    if (openWindow || waitingCrashes().isEmpty())
        return;
    const QList<Report> reports = waitingCrashes();
    waitingCrashes().clear();
    showWindow(Mode::crash, reports);
}

} // namespace

QString sentWords(bool sent, bool kept)
{
    if (!BuildInfo::sendsReports())
        return kept ? QStringLiteral("Saved. This copy of Quillet™ sends no reports: it is kept in %1 for 30 days.")
                          .arg(PlatformText::pathShown(outboxFolder()))
                    : QStringLiteral("Could not save the report in %1.").arg(PlatformText::pathShown(outboxFolder()));
    return sent ? QStringLiteral("Report sent. Thank you.")
                : QStringLiteral("No connection: it will be sent next time Quillet™ opens.");
}

namespace {
struct Handed {
    bool sent = true;
    bool kept = true;
    int remaining = 0;
};

void sentFromWindow(bool sent, bool kept, const std::shared_ptr<Handed> &handed)
{
    handed->sent = handed->sent && sent;
    handed->kept = handed->kept && (sent || kept);
    if (--handed->remaining > 0)
        return;
    // The longer words of a build that sends nothing stay long enough to be read.
    toast(sentWords(handed->sent, handed->kept), BuildInfo::sendsReports() ? 0.9 : 4.0);
}

void windowFinished(ReportWindowController *controller, const ReportWindowController::Outcome &outcome)
{
    if (openWindow == controller)
        openWindow = nullptr;
    const Mode mode = controller->mode;
    const QList<Report> reports = controller->appliedReports();
    controller->deleteLater();
    // A crash window that waited for this one comes next, once this one has gone.
    QTimer::singleShot(0, [] { showWaiting(); });
    if (!outcome.send)
        return; // dropped; the collected files stay for a later report
    Preferences &prefs = Prefs::store();
    if (mode == Mode::crash && BuildInfo::sendsReports())
        prefs.setValue(QStringLiteral("reports.auto"), outcome.always);
    prefs.setValue(QStringLiteral("reports.contact"), outcome.email);
    auto handed = std::make_shared<Handed>();
    handed->remaining = int(reports.size());
    for (const Report &r : reports) {
        const QString kept = outboxFolder() + QLatin1Char('/') + r.id + QStringLiteral(".json");
        send(r, [handed, kept](bool sent) { sentFromWindow(sent, QFileInfo::exists(kept), handed); });
    }
}

void place(QDialog *window)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
} // namespace

void showWindow(Mode mode, const QList<Report> &reports)
{
    if (openWindow && !openWindow->finished) {
        if (mode == Mode::crash) {
            // Asked once the open window is answered, so that neither is lost.
            waitingCrashes() << reports;
            return;
        }
        if (openWindow->mode == Mode::crash) {
            // The crash window waits for an answer first: it comes forward instead.
            openWindow->window()->raise();
            openWindow->window()->activateWindow();
            return;
        }
        openWindow->window()->close(); // a cancel for it
    }
    const QString email = Prefs::store().stringValue(QStringLiteral("reports.contact")).value_or(QString());
    auto *controller = new ReportWindowController(mode, reports, email, {});
    controller->finish = [controller](const ReportWindowController::Outcome &outcome) {
        windowFinished(controller, outcome);
    };
    openWindow = controller;
    activityLog(QStringLiteral("reports: asking about %1 %2 report(s)")
                    .arg(reports.size())
                    .arg(mode == Mode::crash ? QStringLiteral("crash") : QStringLiteral("problem")));
    QDialog *window = controller->window();
    place(window);
    window->show();
    window->raise();
    window->activateWindow();
}

void reportProblem()
{
    showWindow(Mode::feedback, {makeReport(Report::Kind::feedback, QStringLiteral("Report a Problem"))});
}

void keepUnanswered()
{
    QList<Report> unanswered = waitingCrashes();
    waitingCrashes().clear();
    if (openWindow && !openWindow->finished && openWindow->mode == Mode::crash) {
        unanswered << openWindow->reports;
        openWindow->finished = true;
    }
    if (unanswered.isEmpty())
        return;
    keepPending(unanswered);
    activityLog(QStringLiteral("reports: %1 unanswered crash report(s) kept for the next launch").arg(unanswered.size()));
}

} // namespace Reports
