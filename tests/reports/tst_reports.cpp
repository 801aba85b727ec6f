#include "reports/Reports.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScheduler.h"
#include "platform/fake/FakeSystemProbe.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <execinfo.h>

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList fileNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}
} // namespace

class TestReports : public QObject
{
    Q_OBJECT

    FakeScheduler clock;
    FakeSystemProbe probe;
    QDateTime wall = QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0), QTimeZone::utc());
    int checks = 0;
    int rescues = 0;
    QList<double> lastCheckTimes;

    // One launch of the application as far as the bookkeeping goes.
    void launch()
    {
        Reports::stop();
        Reports::currentRun.reset();
        Reports::start(nullptr);
    }
    // Time passes for the running process.
    void live(double seconds)
    {
        clock.advance(seconds);
        wall = wall.addMSecs(qint64(seconds * 1000));
    }
    qint64 earlyDeaths() { return Prefs::store().intValue(QStringLiteral("reports.earlyDeaths")).value_or(-1); }

private slots:
    void initTestCase()
    {
        Reports::scheduler = &clock;
        Reports::wallClock = [this] { return wall; };
        Reports::hangThreshold = 3600; // no hang notes from a slow test machine
        SystemProbe::setCurrent(&probe);
        Reports::checkLaterHook = [this](const QList<double> &times, double delay) {
            ++checks;
            lastCheckTimes = times;
            QCOMPARE(delay, 2.0);
        };
        Reports::rescueAlertHook = [this] { ++rescues; };
    }

    void init()
    {
        Reports::stop();
        QDir(Reports::folder()).removeRecursively();
        for (const char *key : {"reports.earlyDeaths", "reports.seen", "reports.install"})
            Prefs::store().remove(QLatin1String(key));
        checks = rescues = 0;
        lastCheckTimes.clear();
    }

    void firstLaunch()
    {
        launch();
        QCOMPARE(Reports::lastRunEnding, RunRecord::Ending::none);
        QCOMPARE(earlyDeaths(), qint64(0));
        QCOMPARE(*Reports::seenDate(), wall);
        QCOMPARE(checks, 1);
        QVERIFY(lastCheckTimes.isEmpty());
        QVERIFY(QFileInfo(Reports::outboxFolder()).isDir());
        const auto record = RunRecord::fromJson(readFile(Reports::runRecordPath()));
        QCOMPARE(record->launched, wall);
        QVERIFY(!record->clean && !record->settled);
        const QString line = QString::fromUtf8(readFile(ActivityLog::logPath()));
        QVERIFY2(line.contains(QStringLiteral("launch Quillet %1 (%2, %3) %4 on Test OS 1 (Linux 6.1.0), Test Machine; last run ended: none")
                                   .arg(BuildInfo::version(), BuildInfo::build(), BuildInfo::commit(), BuildInfo::bundleIdentifier())),
                 qPrintable(line));
    }

    void quitBeforeSettling()
    {
        launch();
        live(5);
        Reports::noteCleanQuit();
        auto record = RunRecord::fromJson(readFile(Reports::runRecordPath()));
        QVERIFY(record->clean && !record->settled);
        live(20); // the settle mark of a run that has quit writes nothing
        record = RunRecord::fromJson(readFile(Reports::runRecordPath()));
        QVERIFY(record->clean && !record->settled);
        Prefs::store().setValue(QStringLiteral("reports.earlyDeaths"), 2);
        launch();
        QCOMPARE(Reports::lastRunEnding, RunRecord::Ending::clean);
        QCOMPARE(earlyDeaths(), qint64(0));
        QVERIFY(readFile(ActivityLog::logPath()).trimmed().endsWith("; last run ended: clean"));
    }

    void killedAfterSettling()
    {
        launch();
        const QDateTime launched = wall;
        live(25);
        QVERIFY(RunRecord::fromJson(readFile(Reports::runRecordPath()))->settled);
        launch(); // killed: no clean quit
        QCOMPARE(Reports::lastRunEnding, RunRecord::Ending::unexpected);
        QCOMPARE(earlyDeaths(), qint64(0));
        QCOMPARE(lastCheckTimes, (QList<double>{10, 30}));
        // "reports.seen" was set at the first launch and stays.
        QCOMPARE(*Reports::seenDate(), launched);
    }

    void threeDeathsAtLaunchBringTheRescue()
    {
        launch();
        for (qint64 expected : {1, 2, 3}) {
            live(3);
            launch();
            QCOMPARE(Reports::lastRunEnding, RunRecord::Ending::diedAtLaunch);
            QCOMPARE(earlyDeaths(), expected);
        }
        QCOMPARE(checks, 3); // the launch that read 3 scheduled no check
        QCOMPARE(rescues, 1);
        QCOMPARE(lastCheckTimes, (QList<double>{10, 30}));
    }

    void damagedRunRecordCountsAsNone()
    {
        launch();
        live(3);
        QFile f(Reports::runRecordPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(R"({"launched":"2026-12-09T08:00:00Z","clean":false)");
        f.close();
        Prefs::store().setValue(QStringLiteral("reports.earlyDeaths"), 2);
        launch();
        QCOMPARE(Reports::lastRunEnding, RunRecord::Ending::none);
        QCOMPARE(earlyDeaths(), qint64(0));
    }

    void exceptionRecords()
    {
        // Many at once: the first 5 are kept under distinct names in time order.
        for (int i = 0; i < 20; ++i)
            Reports::recordException(QStringLiteral("std::runtime_error"), QStringLiteral("number %1").arg(i),
                                     {QStringLiteral("frame")}, false);
        const QStringList names = fileNames(Reports::exceptionsFolder());
        QCOMPARE(names.size(), 5);
        const QStringList texts = Reports::texts(Reports::exceptionsFolder());
        for (int i = 0; i < 5; ++i) {
            QVERIFY(QRegularExpression(QStringLiteral("^\\d{13}-\\d\\d\\.txt$")).match(names[i]).hasMatch());
            QCOMPARE(texts[i], QStringLiteral("Caught std::runtime_error: number %1\nframe").arg(i));
        }
        // Every one is logged, also those not kept.
        QVERIFY(readFile(ActivityLog::logPath()).contains("caught exception std::runtime_error: number 19"));
    }

    void exceptionRecordForm()
    {
        QStringList stack;
        for (int i = 0; i < 100; ++i)
            stack << QStringLiteral("%1 frame in %2/x").arg(i).arg(TestEnv::home());
        Reports::recordException(QStringLiteral("Oops"), QString(), stack, false);
        const QString text = Reports::texts(Reports::exceptionsFolder()).value(0);
        QVERIFY(text.startsWith(QStringLiteral("Caught Oops: \n0 frame in ~/x\n")));
        QCOMPARE(text.split(QLatin1Char('\n')).size(), 1 + 40);
    }

    void caughtInCatchBlock()
    {
        try {
            throw std::out_of_range("index 3 past 2");
        } catch (...) {
            Reports::recordCurrentException(false);
        }
        const QString text = Reports::texts(Reports::exceptionsFolder()).value(0);
        QVERIFY2(text.startsWith(QStringLiteral("Caught std::out_of_range: index 3 past 2\n")), qPrintable(text));
        QVERIFY(text.contains(QLatin1String("TestReports::caughtInCatchBlock")) || text.contains(QLatin1String("0x")));
    }

    void diagnostics()
    {
        Reports::storeDiagnostics({{2, 0, QByteArray("{\"crash\":1}")}});
        QVERIFY(fileNames(Reports::diagnosticsFolder()).isEmpty());
        const QByteArray home = TestEnv::home().toUtf8();
        QByteArray escaped = home;
        escaped.replace("/", "\\/");
        Reports::storeDiagnostics({{0, 1, "{\"hangDiagnostics\":[\"" + escaped + "\\/a " + home + "/b\"]}"}});
        const QStringList names = fileNames(Reports::diagnosticsFolder());
        QCOMPARE(names.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F-]{36}\\.json$")).match(names[0]).hasMatch());
        QCOMPARE(readFile(Reports::diagnosticsFolder() + QLatin1Char('/') + names[0]),
                 QByteArray("{\"hangDiagnostics\":[\"~\\/a ~/b\"]}"));
        const QByteArray log = readFile(ActivityLog::logPath());
        QVERIFY(log.contains("diagnostics: 2 crash, 0 hang"));
        QVERIFY(log.contains("diagnostics: 0 crash, 1 hang"));
        // The folder keeps at most 5.
        for (int i = 0; i < 7; ++i)
            Reports::storeDiagnostics({{0, 1, QByteArray("{}")}});
        QCOMPARE(fileNames(Reports::diagnosticsFolder()).size(), 5);
    }

    void facts_data()
    {
        QTest::addColumn<qint64>("memory");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("scale");
        QTest::addColumn<qint64>("gigabytes");
        QTest::addColumn<QString>("screen");
        QTest::newRow("16 GiB, 2x") << (qint64(16) << 30) << 1440.0 << 900.0 << 2.0 << qint64(16) << "2880x1800@2";
        QTest::newRow("8 GiB") << (qint64(8) << 30) << 1920.0 << 1080.0 << 1.0 << qint64(8) << "1920x1080@1";
        QTest::newRow("half rounds up, 1.5x") << (qint64(3) << 29) << 1440.0 << 900.0 << 1.5 << qint64(2) << "2160x1350@1";
        QTest::newRow("just under half") << ((qint64(3) << 29) - (qint64(1) << 20)) << 1280.0 << 800.0 << 1.25 << qint64(1) << "1600x1000@1";
    }
    void facts()
    {
        QFETCH(qint64, memory);
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(double, scale);
        probe.memory = memory;
        probe.screenList = {SystemProbe::Screen{width, height, scale}};
        const Report::System s = Reports::systemInfo();
        QTEST(s.memoryGB, "gigabytes");
        QCOMPARE(s.screens.size(), 1);
        QTEST(s.screens.value(0), "screen");
        QCOMPARE(s.os, probe.osText);
        QCOMPARE(s.arch, QStringLiteral("x86_64"));
    }

    void appFacts()
    {
        BuildInfo::overrideValue(QStringLiteral("QLCommit"), QString());
        const Report::App app = Reports::appInfo();
        QCOMPARE(app.bundleID, QStringLiteral("app.quillet.dev"));
        QCOMPARE(app.version, BuildInfo::version());
    }

    void installIdentifier()
    {
        const QString id = Reports::installID();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$")).match(id).hasMatch());
        QCOMPARE(Reports::installID(), id);
        Prefs::store().remove(QStringLiteral("reports.install"));
        QVERIFY(Reports::installID() != id);
    }

    void crashTestIsArmedOnTheClock()
    {
        Reports::armCrashTest(3.0);
        QVERIFY(readFile(ActivityLog::logPath()).contains("crash test armed"));
        QCOMPARE(clock.nextDue(), 3.0);
        // Firing it here would end the test: the crash itself is tried in a child process.
    }

    void cleanupTestCase()
    {
        Reports::stop();
        SystemProbe::setCurrent(nullptr);
    }
};

QUILLET_TEST_MAIN(TestReports)
#include "tst_reports.moc"
