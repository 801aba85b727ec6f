#include "reports/Reports.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScheduler.h"

#include "TestEnv.h"

#include <QDir>
#include <QScopeGuard>
#include <QFile>
#include <QTimeZone>

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A crash report file of this application, modified at `when`.
void putCrashLog(const QString &name, const QDateTime &when, const QString &symbol, const QString &version = QStringLiteral("1.2"))
{
    QDir().mkpath(Paths::crashReportsDir());
    QFile f(Paths::crashReportsDir() + QLatin1Char('/') + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("{\"app_name\":\"Quillet\",\"bundleID\":\"%1\",\"app_version\":\"%2\",\"build_version\":\"34\"}\n"
                           "{\"exception\":{\"type\":\"EXC_BAD_ACCESS\",\"signal\":\"SIGSEGV\"},\"usedImages\":[{\"name\":\"Quillet\"}],"
                           "\"threads\":[{\"triggered\":true,\"frames\":[{\"imageIndex\":0,\"symbol\":\"%3\"}]}]}")
                .arg(BuildInfo::bundleIdentifier(), version, symbol).toUtf8());
    f.flush();
    f.setFileTime(when, QFileDevice::FileModificationTime);
}

QList<Report> outboxReports()
{
    QList<Report> reports;
    QDir dir(Reports::outboxFolder());
    for (const QString &name : dir.entryList(QDir::Files))
        if (auto r = Report::fromJson(readFile(dir.filePath(name))))
            reports << *r;
    return reports;
}
} // namespace

class TestReportCheck : public QObject
{
    Q_OBJECT
    FakeScheduler clock;
    QDateTime wall = QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0), QTimeZone::utc());
    QList<QList<Report>> windows;

    void live(double seconds)
    {
        wall = wall.addMSecs(qint64(seconds * 1000));
        clock.advance(seconds);
    }
    void launch()
    {
        Reports::stop();
        Reports::currentRun.reset();
        Reports::start(nullptr);
    }
    void setAuto(bool on) { Prefs::store().setValue(QStringLiteral("reports.auto"), on); }

private slots:
    void initTestCase()
    {
        Reports::scheduler = &clock;
        Reports::wallClock = [this] { return wall; };
        Reports::hangThreshold = 3600;
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), QString()); // nothing leaves
    }

    void init()
    {
        Reports::stop();
        QDir(Reports::folder()).removeRecursively();
        QDir(Paths::crashReportsDir()).removeRecursively();
        for (const char *key : {"reports.earlyDeaths", "reports.seen", "reports.auto"})
            Prefs::store().remove(QLatin1String(key));
        windows.clear();
        Reports::showCrashWindowHook = [this](const QList<Report> &reports) { windows << reports; };
    }

    void twoNewCrashLogsAreAsked()
    {
        launch(); // seen = launch time
        putCrashLog(QStringLiteral("quillet-a.ips"), wall.addSecs(1), QStringLiteral("older()"));
        putCrashLog(QStringLiteral("quillet-b.ips"), wall.addSecs(2), QStringLiteral("newer()"), QString());
        putCrashLog(QStringLiteral("other-c.ips"), wall.addSecs(3), QStringLiteral("other()"));
        live(2);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0].size(), 2);
        QCOMPARE(windows[0][0].summary, QStringLiteral("EXC_BAD_ACCESS (SIGSEGV) in newer()"));
        QCOMPARE(windows[0][0].kind, Report::Kind::crash);
        QVERIFY(windows[0][0].crash->contains(QLatin1String("newer()")));
        QVERIFY(!windows[0][0].state.contains(QStringLiteral("crashedVersion")));
        QCOMPARE(windows[0][1].state.value(QStringLiteral("crashedVersion")), QStringLiteral("1.2 (34)"));
        QCOMPARE(windows[0][1].state.value(QStringLiteral("uptime")), QStringLiteral("2 s"));
        QVERIFY(readFile(ActivityLog::logPath()).contains("found crash log: EXC_BAD_ACCESS (SIGSEGV) in newer()"));
        QCOMPARE(clock.pendingCount(), 1); // the settle mark; no later check
    }

    void onlyTheThreeNewest()
    {
        Prefs::store().setValue(QStringLiteral("reports.seen"), wall.toString(Qt::ISODateWithMs));
        for (int i = 1; i <= 5; ++i)
            putCrashLog(QStringLiteral("quillet-%1.ips").arg(i), wall.addSecs(i), QStringLiteral("f%1()").arg(i));
        const QList<CrashLog> logs = Reports::findCrashLogs();
        QCOMPARE(logs.size(), 3);
        QCOMPARE(logs[0].place, QStringLiteral("f5()"));
        QCOMPARE(logs[2].place, QStringLiteral("f3()"));
        QCOMPARE(*Reports::seenDate(), wall.addSecs(5));
        QVERIFY(Reports::findCrashLogs().isEmpty());
    }

    // A modification time with milliseconds is compared at that precision.
    void offeredOnce()
    {
        Prefs::store().setValue(QStringLiteral("reports.seen"), wall.toString(Qt::ISODateWithMs));
        putCrashLog(QStringLiteral("quillet-x.ips"), wall.addMSecs(51999), QStringLiteral("x()"));
        QCOMPARE(Reports::findCrashLogs().size(), 1);
        QCOMPARE(Reports::findCrashLogs().size(), 0);
    }

    void unexpectedEndSendsOneQuitReport_data()
    {
        QTest::addColumn<bool>("hang");
        QTest::addColumn<bool>("exception");
        QTest::addColumn<QString>("summary");
        QTest::newRow("quit") << false << false << "The last run ended without a normal quit and without a crash log";
        QTest::newRow("exception first") << false << true << "An error was caught while Quillet kept running";
        QTest::newRow("hang first") << true << true << "Quillet was not responding";
    }
    void unexpectedEndSendsOneQuitReport()
    {
        QFETCH(bool, hang);
        QFETCH(bool, exception);
        QFETCH(QString, summary);
        // Automatic sending needs an address; this one refuses, so the report stays in the outbox.
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), QStringLiteral("https://127.0.0.1:9/v1/report"));
        auto noAddress = qScopeGuard([] { BuildInfo::overrideValue(QStringLiteral("QLReportURL"), QString()); });
        launch();
        live(25); // settled, then killed
        setAuto(true);
        if (exception)
            Reports::recordException(QStringLiteral("E"), QStringLiteral("r"), {}, false);
        if (hang)
            Reports::storeDiagnostics({{0, 1, QByteArray("{\"hangDiagnostics\":[]}")}});
        launch();
        live(2);
        live(8);
        QVERIFY(outboxReports().isEmpty()); // checks at 2 s and 10 s find nothing
        live(22);
        const QList<Report> sent = outboxReports();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].summary, summary);
        QCOMPARE(sent[0].state.value(QStringLiteral("lastRunEnded")), QStringLiteral("unexpected"));
        QCOMPARE(sent[0].state.value(QStringLiteral("uptime")), QStringLiteral("32 s"));
    }

    void withoutAutomaticSendingNothingLeaves()
    {
        launch();
        Reports::recordException(QStringLiteral("E"), QStringLiteral("r"), {}, false);
        live(2);
        QVERIFY(outboxReports().isEmpty());
        QCOMPARE(Reports::texts(Reports::exceptionsFolder()).size(), 1);
    }

    // Without a window to ask in, crash reports wait and come back at the next check.
    void unansweredCrashReportsWait()
    {
        Reports::showCrashWindowHook = nullptr;
        launch();
        putCrashLog(QStringLiteral("quillet-a.ips"), wall.addSecs(1), QStringLiteral("a()"));
        live(2);
        Reports::showCrashWindowHook = [this](const QList<Report> &reports) { windows << reports; };
        launch();
        live(2);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0].size(), 1);
        QCOMPARE(windows[0][0].summary, QStringLiteral("EXC_BAD_ACCESS (SIGSEGV) in a()"));
    }

    void rescueAlert_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("send") << 0;
        QTest::newRow("reset") << 1;
        QTest::newRow("just open") << 2;
    }
    void rescueAlert()
    {
        QFETCH(int, answer);
        Preferences &prefs = Prefs::store();
        prefs.setValue(QStringLiteral("reports.earlyDeaths"), 4);
        prefs.setValue(QStringLiteral("reports.auto"), false);
        prefs.setValue(QStringLiteral("stats.share"), false);
        prefs.setValue(QStringLiteral("history.paused"), true);
        prefs.setValue(QStringLiteral("reports.contact"), QStringLiteral("a@b.c"));
        prefs.setValue(QStringLiteral("reports.seen"), wall.toString(Qt::ISODateWithMs));
        const QString install = Reports::installID();
        QString informative;
        Reports::askAlert = [&](const QString &text, const QString &info, const QStringList &buttons) {
            informative = info;
            return answer;
        };
        Reports::rescueAlert();
        QVERIFY(informative.startsWith(QStringLiteral("It has stopped 4 times in a row.")));
        QCOMPARE(prefs.intValue(QStringLiteral("reports.earlyDeaths")).value_or(0), qint64(0));
        QCOMPARE(outboxReports().size(), answer == 0 ? 1 : 0);
        if (answer == 0)
            QCOMPARE(outboxReports()[0].summary, QStringLiteral("Quillet quit at launch several times in a row"));
        const bool reset = answer == 1;
        QCOMPARE(prefs.contains(QStringLiteral("history.paused")), !reset);
        QCOMPARE(prefs.contains(QStringLiteral("reports.contact")), !reset);
        QCOMPARE(prefs.stringValue(QStringLiteral("reports.install")), std::optional<QString>(install));
        QCOMPARE(prefs.boolValue(QStringLiteral("reports.auto")), std::optional<bool>(false));
        QCOMPARE(prefs.boolValue(QStringLiteral("stats.share")), std::optional<bool>(false));
        QCOMPARE(*Reports::seenDate(), wall);
        if (reset)
            QVERIFY(readFile(ActivityLog::logPath()).contains("settings reset from the rescue alert"));
    }

    void cleanupTestCase()
    {
        Reports::stop();
    }
};

QUILLET_TEST_MAIN(TestReportCheck)
#include "tst_reportcheck.moc"
