// What the report surfaces say against what happens: with a report address the report goes to
// the server; without one every surface says it is saved, and it is, in the outbox.
#include "ReportServer.h"

#include "reports/Reports.h"
#include "reports/ReportWindowController.h"

#include "app/PreferenceReaders.h"
#include "app/Updater.h"
#include "app/Updates.h"
#include "platform/BuildInfo.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"
#include "settings/PanePreferences.h"

#include "../launch/ToastText.h"
#include "TestEnv.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace {
using Mode = ReportWindowController::Mode;

Report report()
{
    Report r(QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(), Report::Kind::crash,
             QDateTime::currentDateTimeUtc(), Reports::appInfo(), {}, QStringLiteral("install"),
             QStringLiteral("EXC_BAD_ACCESS (SIGSEGV) in a()"), QStringLiteral("log"), {});
    r.crash = QStringLiteral("crash text");
    return r;
}

QStringList outbox()
{
    return QDir(Reports::outboxFolder()).entryList(QDir::Files);
}

class CountingUpdater : public Updater
{
public:
    bool automaticallyChecksForUpdates() const override { return false; }
    void checkForUpdatesInBackground() override {}
    void checkForUpdates() override { ++checks; }
    int checks = 0;
};

const QString savedWords = QStringLiteral("Saved. This copy of Quillet™ sends no reports: it is kept in "
                                          "~/data/Vellum/Reports/outbox for 30 days.");
} // namespace

class TestReportWords : public QObject
{
    Q_OBJECT
    std::unique_ptr<ReportServer> server;

    // The window's send button, its lead text and its automatic switch, then its Send.
    void sendFromWindow(Mode mode, bool address)
    {
        const Report r = report();
        Reports::showWindow(mode, {r});
        ReportWindowController *c = Reports::openWindow;
        QVERIFY(c);
        QCOMPARE(c->sendButton()->text(), address ? QStringLiteral("Send Report") : QStringLiteral("Save Report"));
        if (mode == Mode::crash)
            QCOMPARE(c->cancelButton()->text(), address ? QStringLiteral("Don’t Send") : QStringLiteral("Don’t Save"));
        const QString lead = c->labelsForTest.value(1)->text();
        QCOMPARE(lead.contains(QStringLiteral("sends no reports")), !address);
        if (!address)
            QVERIFY2(lead.contains(QStringLiteral("~/data/Vellum/Reports/outbox for 30 days")), qPrintable(lead));
        QCOMPARE(c->always->isEnabled(), address);
        QVERIFY(!c->always->isChecked());
        c->always->setChecked(true); // a build without an address must not keep it
        c->sendButton()->click();
        QVERIFY(QTest::qWaitFor([] { return !toastText().isEmpty(); }, 20000));
        QCOMPARE(toastText(), address ? QStringLiteral("Report sent. Thank you.") : savedWords);
        QCOMPARE(server->requests.size(), address ? 1 : 0);
        if (address)
            QCOMPARE(Report::fromJson(server->requests.first().body)->id, r.id);
        QCOMPARE(outbox(), address ? QStringList() : QStringList{r.id + QStringLiteral(".json")});
        QCOMPARE(Prefs::store().boolValue(QStringLiteral("reports.auto")).value_or(false),
                 address && mode == Mode::crash);
    }

private slots:
    void initTestCase() { ReportServer::trust(); }

    void init()
    {
        QDir(Reports::folder()).removeRecursively();
        server = std::make_unique<ReportServer>();
        for (const char *key : {"reports.auto", "reports.contact", "reports.earlyDeaths"})
            Prefs::store().remove(QString::fromLatin1(key));
    }

    void cleanup()
    {
        if (Reports::openWindow)
            Reports::openWindow->cancelPressed();
        QTest::qWaitFor([] { return toastText().isEmpty(); }, 10000); // the toast goes
    }

    void surfaces_data()
    {
        QTest::addColumn<bool>("address");
        QTest::addColumn<QString>("surface");
        for (bool address : {true, false})
            for (const char *surface : {"report window", "crash window", "automatic switch", "rescue alert"})
                QTest::addRow("%s, %s", address ? "address" : "no address", surface) << address << QString::fromLatin1(surface);
    }
    void surfaces()
    {
        QFETCH(bool, address);
        QFETCH(QString, surface);
        // "none" is no https address: it stands for a build configured without one.
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), address ? server->url() : QStringLiteral("none"));
        QCOMPARE(BuildInfo::sendsReports(), address);

        if (surface == QLatin1String("report window")) {
            sendFromWindow(Mode::feedback, address);
        } else if (surface == QLatin1String("crash window")) {
            sendFromWindow(Mode::crash, address);
        } else if (surface == QLatin1String("automatic switch")) {
            Prefs::store().setValue(QStringLiteral("reports.auto"), true);
            PanePreferences pane;
            QCOMPARE(pane.sendsReports(), address);
            QCOMPARE(pane.reportsAuto(), address); // shown off without an address
            pane.setReportsAuto(false);
            QCOMPARE(Prefs::store().boolValue(QStringLiteral("reports.auto")), std::optional<bool>(!address));
        } else {
            Prefs::store().setValue(QStringLiteral("reports.earlyDeaths"), 3);
            QString informative;
            QStringList buttons;
            Reports::askAlert = [&](const QString &, const QString &info, const QStringList &titles) {
                informative = info;
                buttons = titles;
                return 0;
            };
            Reports::rescueAlert();
            QCOMPARE(buttons.value(0), address ? QStringLiteral("Send Report") : QStringLiteral("Save Report"));
            QCOMPARE(informative.contains(QStringLiteral("sends no reports: saving one keeps it in "
                                                         "~/data/Vellum/Reports/outbox for 30 days")),
                     !address);
            if (address)
                QVERIFY(QTest::qWaitFor([this] { return server->requests.size() == 1 && outbox().isEmpty(); }, 20000));
            else
                QCOMPARE(outbox().size(), 1);
            QCOMPARE(server->requests.size(), address ? 1 : 0);
        }
    }

    // The rescue alert promises an update check only where the build can make one.
    void rescueAlertUpdateCheck_data()
    {
        QTest::addColumn<bool>("updater");
        QTest::addColumn<QString>("first");
        QTest::newRow("with an updater") << true << QStringLiteral("Save Report and Check for Updates");
        QTest::newRow("without") << false << QStringLiteral("Save Report");
    }
    void rescueAlertUpdateCheck()
    {
        QFETCH(bool, updater);
        QFETCH(QString, first);
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), QStringLiteral("none"));
        BuildInfo::overrideValue(QStringLiteral("SUFeedURL"), updater ? QStringLiteral("https://example.org/feed.xml") : QString());
        BuildInfo::overrideValue(QStringLiteral("SUPublicEDKey"), QStringLiteral("MCowBQYDK2VwAyEAGb9ECWmEzf6FQbrBZ9w7lshQhqowtrbLDFw4rXAxZuE="));
        CountingUpdater *made = nullptr;
        Updates agent;
        agent.makeUpdater = [&made](Updates &) {
            auto u = std::make_unique<CountingUpdater>();
            made = u.get();
            return std::unique_ptr<Updater>(std::move(u));
        };
        agent.start();
        Reports::updates = &agent;
        Prefs::store().setValue(QStringLiteral("reports.earlyDeaths"), 3);
        QStringList buttons;
        Reports::askAlert = [&](const QString &, const QString &, const QStringList &titles) {
            buttons = titles;
            return 0;
        };
        Reports::rescueAlert();
        Reports::updates = nullptr;
        QCOMPARE(buttons.value(0), first);
        QCOMPARE(made ? made->checks : 0, updater ? 1 : 0);
        QCOMPARE(outbox().size(), 1);
    }
};

QUILLET_TEST_MAIN(TestReportWords)
#include "tst_reportwords.moc"
