// The usage count: its form, when it is due and allowed, its post, the hourly look and
// "--stats-send-test" of the application.
#include "ReportServer.h"

#include "reports/Reports.h"
#include "reports/UsageStatistics.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScheduler.h"

#include "TestEnv.h"

#include <QProcess>
#include <QTimeZone>

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestUsageStats : public QObject
{
    Q_OBJECT
    FakeScheduler clock;
    QDateTime wall = QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0), QTimeZone::utc());
    std::unique_ptr<ReportServer> server;
    bool selfCheck = false;

    void setCaptures(qint64 n) { Prefs::store().setValue(QStringLiteral("melt.captures"), n); }
    void waitUntilDone() { QVERIFY(QTest::qWaitFor([] { return !Stats::inFlight(); }, 20000)); }

private slots:
    void initTestCase()
    {
        ReportServer::trust();
        Reports::scheduler = &clock;
        Reports::wallClock = [this] { return wall; };
        Stats::selfCheckRunning = [this] { return selfCheck; };
    }

    void init()
    {
        for (const char *key : {"stats.share", "stats.id", "stats.lastSent", "stats.lastCount", "melt.captures"})
            Prefs::store().remove(QString::fromLatin1(key));
        server = std::make_unique<ReportServer>();
        BuildInfo::overrideValue(QStringLiteral("QLStatsURL"), server->url(QStringLiteral("/v1/stats")));
        selfCheck = false;
        Stats::timeoutMs = 20000;
    }

    void sharing_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("region");
        QTest::addColumn<bool>("shared");
        for (const char *region : {"DE", "FR", "GB", "UK", "CH", "de"})
            QTest::addRow("%s, not chosen", region) << QVariant() << region << false;
        for (const char *region : {"US", "JP", ""})
            QTest::addRow("'%s', not chosen", region) << QVariant() << region << true;
        QTest::newRow("DE, chosen on") << QVariant(true) << "DE" << true;
        QTest::newRow("US, chosen off") << QVariant(false) << "US" << false;
    }
    void sharing()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, region);
        QFETCH(bool, shared);
        if (stored.isValid())
            Prefs::store().setValue(QStringLiteral("stats.share"), stored.toBool());
        QCOMPARE(Prefs::shareStatsFor(region.isEmpty() ? std::nullopt : std::optional<QString>(region)), shared);
        QCOMPARE(UsageStats::optOutRegions().size(), 33);
    }

    void due_data()
    {
        QTest::addColumn<QVariant>("hoursAgo");
        QTest::addColumn<int>("lastCount");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("due");
        QTest::newRow("never sent") << QVariant() << 0 << 0 << true;
        QTest::newRow("7 h, one more capture") << QVariant(7.0) << 40 << 41 << true;
        QTest::newRow("7 h, same count") << QVariant(7.0) << 40 << 40 << false;
        QTest::newRow("5 h, one more capture") << QVariant(5.0) << 40 << 41 << false;
        QTest::newRow("exactly 6 h, changed") << QVariant(6.0) << 1 << 2 << true;
        QTest::newRow("25 h, same count") << QVariant(25.0) << 40 << 40 << true;
        QTest::newRow("in the future") << QVariant(-2.0) << 40 << 40 << true;
    }
    void due()
    {
        QFETCH(QVariant, hoursAgo);
        QFETCH(int, lastCount);
        QFETCH(int, count);
        QFETCH(bool, due);
        std::optional<QDateTime> last;
        if (hoursAgo.isValid())
            last = wall.addSecs(-qint64(hoursAgo.toDouble() * 3600));
        QCOMPARE(UsageStats::isDue(wall, last, count, lastCount), due);
    }

    void payload_data()
    {
        QTest::addColumn<QString>("build");
        QTest::addColumn<int>("captures");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("plain") << "42" << 40
            << QByteArray(R"({"build":42,"captures":40,"id":"abcdef01-0000-4000-8000-000000000000","os":"debian 12","v":"1.10"})");
        QTest::newRow("dotted build, negative count") << "1.0.3" << -5
            << QByteArray(R"({"build":0,"captures":0,"id":"abcdef01-0000-4000-8000-000000000000","os":"debian 12","v":"1.10"})");
        QTest::newRow("signed build") << "-7" << 1
            << QByteArray(R"({"build":-7,"captures":1,"id":"abcdef01-0000-4000-8000-000000000000","os":"debian 12","v":"1.10"})");
        QTest::newRow("blank in build") << " 4" << 1
            << QByteArray(R"({"build":0,"captures":1,"id":"abcdef01-0000-4000-8000-000000000000","os":"debian 12","v":"1.10"})");
    }
    void payload()
    {
        QFETCH(QString, build);
        QFETCH(int, captures);
        QFETCH(QByteArray, json);
        const UsageStats::Payload p(QStringLiteral("ABCDEF01-0000-4000-8000-000000000000"), QStringLiteral("1.10"),
                                    UsageStats::buildNumber(build), QStringLiteral("debian 12"), captures);
        QCOMPARE(*UsageStats::json(p), json);
    }

    void sendsWhenDueAndRecordsIt()
    {
        setCaptures(40);
        Stats::sendIfDue();
        Stats::sendIfDue(); // under way: no second post
        waitUntilDone();
        QCOMPARE(server->requests.size(), 1);
        const ReportServer::Request &post = server->requests.first();
        QCOMPARE(post.method, QByteArray("POST"));
        QCOMPARE(post.path, QByteArray("/v1/stats"));
        QCOMPARE(post.headers.value("content-type"), QByteArray("application/json"));
        const QString id = *Prefs::store().stringValue(QStringLiteral("stats.id"));
        QCOMPARE(post.body, *UsageStats::json(Stats::payload(id, 40)));
        QVERIFY(post.body.contains("\"captures\":40"));
        QCOMPARE(*Prefs::store().stringValue(QStringLiteral("stats.lastSent")), QStringLiteral("2026-12-09T08:00:00Z"));
        QCOMPARE(Prefs::store().intValue(QStringLiteral("stats.lastCount")), qint64(40));
        QVERIFY(readFile(ActivityLog::logPath()).contains("stats: sent, 40 captures"));

        // An hour later nothing is due; seven hours later with a new capture it is.
        wall = wall.addSecs(3600);
        setCaptures(41);
        Stats::sendIfDue();
        QVERIFY(!Stats::inFlight());
        wall = wall.addSecs(6 * 3600);
        Stats::sendIfDue();
        waitUntilDone();
        QCOMPARE(server->requests.size(), 2);
        QCOMPARE(Prefs::store().stringValue(QStringLiteral("stats.id")), id);
    }

    void failuresStoreNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("logged");
        QTest::newRow("server error") << 503 << "stats: not sent (503), will try again";
        QTest::newRow("redirect") << 307 << "stats: not sent (307), will try again";
        QTest::newRow("no answer") << 0 << "stats: not sent (no answer), will try again";
    }
    void failuresStoreNothing()
    {
        QFETCH(int, status);
        QFETCH(QString, logged);
        server->status = status;
        Stats::timeoutMs = 1000;
        Stats::sendIfDue();
        waitUntilDone();
        QCOMPARE(server->requests.size(), 1);
        QVERIFY(!Prefs::store().contains(QStringLiteral("stats.lastSent")));
        QVERIFY(readFile(ActivityLog::logPath()).contains(logged.toUtf8()));
    }

    void notAllowed_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QVariant>("share");
        QTest::addColumn<bool>("selfCheck");
        QTest::newRow("build without an endpoint") << "" << QVariant() << false;
        QTest::newRow("plain http endpoint") << "http" << QVariant() << false;
        QTest::newRow("no URL at all") << "not a url" << QVariant() << false;
        QTest::newRow("user said no") << "https" << QVariant(false) << false;
        QTest::newRow("self-check running") << "https" << QVariant() << true;
    }
    void notAllowed()
    {
        QFETCH(QString, endpoint);
        QFETCH(QVariant, share);
        QFETCH(bool, selfCheck);
        QString url = server->url(QStringLiteral("/v1/stats"));
        if (endpoint == QLatin1String("http"))
            url.replace(QStringLiteral("https:"), QStringLiteral("http:"));
        else if (endpoint != QLatin1String("https"))
            url = endpoint;
        BuildInfo::overrideValue(QStringLiteral("QLStatsURL"), url);
        if (share.isValid())
            Prefs::store().setValue(QStringLiteral("stats.share"), share.toBool());
        this->selfCheck = selfCheck;
        QVERIFY(!Stats::allowed());
        Stats::sendIfDue();
        QVERIFY(!Stats::inFlight());
        QTest::qWait(200);
        QVERIFY(server->requests.isEmpty());
    }

    // A first look 5 s after launch, then one an hour; a second start of the schedule adds none.
    void schedule()
    {
        Stats::startSchedule();
        Stats::startSchedule();
        clock.advance(4.9);
        QVERIFY(!Stats::inFlight());
        clock.advance(0.1);
        QVERIFY(Stats::inFlight());
        waitUntilDone();
        QCOMPARE(server->requests.size(), 1);
        wall = wall.addSecs(25 * 3600);
        clock.advance(3600 - 5);
        QVERIFY(Stats::inFlight());
        waitUntilDone();
        QCOMPARE(server->requests.size(), 2);
        clock.advance(3600); // sent an hour ago: not due
        QVERIFY(!Stats::inFlight());
    }

    void sendTestOption_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("204") << 204 << "HTTP 204" << 0;
        QTest::newRow("500") << 500 << "HTTP 500" << 1;
        QTest::newRow("unreachable") << -1 << "no answer" << 1;
    }
    void sendTestOption()
    {
        QFETCH(int, status);
        QFETCH(QString, answer);
        QFETCH(int, exitCode);
        server->status = status;
        setCaptures(7);
        QString target = server->url(QStringLiteral("/v1/stats"));
        if (status < 0) {
            QTcpServer closed; // a port that was free a moment ago and is closed now
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            target = QStringLiteral("https://127.0.0.1:%1/v1/stats").arg(closed.serverPort());
        }
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLET_TEST_CA"), QStringLiteral(QUILLET_SOURCE_DIR "/tests/reports/report-server.crt"));
        env.remove(QStringLiteral("QUILLET_TEST_STATS_URL"));
        app.setProcessEnvironment(env);
        app.start(TestEnv::helperPath(QStringLiteral("reports_trusted_app")), {QStringLiteral("--stats-send-test"), target});
        QVERIFY(QTest::qWaitFor([&] { return app.state() == QProcess::NotRunning; }, 60000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        const QStringList lines = QString::fromUtf8(app.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), QStringLiteral("POST ") + target);
        QVERIFY2(lines.at(1).startsWith(QLatin1String("{\"build\":"))
                     && lines.at(1).contains(QLatin1String("\"captures\":7,\"id\":\"00000000-0000-4000-8000-000000000000\"")),
                 qPrintable(lines.at(1)));
        QCOMPARE(lines.at(2), answer);
        QCOMPARE(app.exitCode(), exitCode);
        if (status > 0)
            QCOMPARE(server->requests.value(0).body, lines.at(1).toUtf8());
        // The test stores nothing.
        Prefs::store().reload();
        QVERIFY(!Prefs::store().contains(QStringLiteral("stats.lastSent")));
    }
};

QUILLET_TEST_MAIN(TestUsageStats)
#include "tst_usagestats.moc"
