#include "document/CrashLog.h"

#include "TestEnv.h"

#include <QTimeZone>

namespace {
const Scrub::Identity alice{{QStringLiteral("/home/alice")}, QStringLiteral("alice"), QStringLiteral("wks")};

QString ips(const QString &header, const QString &body)
{
    return header + QLatin1Char('\n') + body;
}

// A body whose crashed thread has the given frames; image 0 is the application, 1 a library.
QString bodyWithFrames(const QString &frames, const QString &extra = QString())
{
    return QStringLiteral(R"J({"usedImages":[{"name":"Quillet"},{"name":"libc.so.6"}],)J"
                          R"J("threads":[{"frames":[]},{"triggered":true,"frames":[%1]}]%2})J")
        .arg(frames, extra);
}
const QString header = QStringLiteral(R"J({"app_name":"Quillet","bundleID":"app.quillet","app_version":"1.2","build_version":"34"})J");
} // namespace

class TestCrashLog : public QObject
{
    Q_OBJECT
private slots:
    void smallest()
    {
        const auto log = CrashLog::read(ips(QStringLiteral(R"J({"app_name":"Quillet"})J"), QStringLiteral(R"J({"threads":[]})J")), alice);
        QVERIFY(log);
        QCOMPARE(log->reason, QStringLiteral("Crash"));
        QCOMPARE(log->place, QString());
        QCOMPARE(log->summary(), QStringLiteral("Crash"));
        QVERIFY(log->bundleID.isEmpty() && log->version.isEmpty() && log->build.isEmpty() && log->incident.isEmpty());
    }

    void notACrashReport_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no line feed") << QStringLiteral(R"J({"app_name":"Quillet"})J");
        QTest::newRow("body not JSON") << ips(header, QStringLiteral("not json"));
        QTest::newRow("body an array") << ips(header, QStringLiteral("[]"));
        QTest::newRow("header not JSON") << ips(QStringLiteral("Quillet"), QStringLiteral("{}"));
    }
    void notACrashReport()
    {
        QFETCH(QString, text);
        QVERIFY(!CrashLog::read(text, alice));
    }

    void place_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("place");
        QTest::newRow("library frames first") << bodyWithFrames(QStringLiteral(
            R"J({"imageIndex":1,"symbol":"raise"},{"imageIndex":0,"symbol":"Canvas::paint()"})J")) << "Canvas::paint()";
        QTest::newRow("no symbol") << bodyWithFrames(QStringLiteral(R"J({"imageIndex":0,"imageOffset":1234})J")) << "Quillet + 1234";
        QTest::newRow("no symbol, no offset") << bodyWithFrames(QStringLiteral(R"J({"imageIndex":0})J")) << "Quillet + 0";
        QTest::newRow("runtime failures only") << bodyWithFrames(QStringLiteral(
            R"J({"imageIndex":0,"symbol":"Swift runtime failure: a"},{"imageIndex":0,"symbol":"Swift runtime failure: b"})J"))
                                               << "Swift runtime failure: a";
        QTest::newRow("generated frame skipped") << bodyWithFrames(QStringLiteral(
            R"J({"imageIndex":0,"symbol":"thunk","sourceFile":"<compiler-generated>"},{"imageIndex":0,"symbol":"real()"})J")) << "real()";
        QTest::newRow("only library frames") << bodyWithFrames(QStringLiteral(R"J({"imageIndex":1,"symbol":"raise"})J")) << "";
        QTest::newRow("faulting thread out of range") << bodyWithFrames(QStringLiteral(R"J({"imageIndex":0,"symbol":"b()"})J"),
                                                                        QStringLiteral(R"J(,"faultingThread":5)J")) << "b()";
        QTest::newRow("faulting thread chosen") << bodyWithFrames(QStringLiteral(R"J({"imageIndex":0,"symbol":"b()"})J"),
                                                                  QStringLiteral(R"J(,"faultingThread":0)J")) << "";
    }
    void place()
    {
        QFETCH(QString, body);
        QFETCH(QString, place);
        const auto log = CrashLog::read(ips(header, body), alice);
        QVERIFY(log);
        QCOMPARE(log->place, place);
    }

    void factsAndCleaning()
    {
        const QString body = QStringLiteral(
            R"J({"pid":12,"storeInfo":{},"exception":{"type":"EXC_BREAKPOINT","signal":"SIGTRAP"},)J"
            R"J("usedImages":[{"name":"Quillet","path":"/home/alice/bin/quillet"}],"threads":[{"triggered":true,"pid":7,)J"
            R"J("frames":[{"imageIndex":0,"symbol":"Reports::deliberateCrashForTesting()"}]}],"host":"wks.example.org"})J");
        const QString head = QStringLiteral(R"J({"app_name":"Quillet","app_version":"1.2","build_version":"34","incident_id":"I1",)J"
                                            R"J("share_with_app_devs":1,"timestamp":"2026-12-09 08:05:51.12 +0100"})J");
        const auto log = CrashLog::read(ips(head, body.left(body.size() - 1) + QStringLiteral(R"J(,"bundleInfo":{"CFBundleIdentifier":"app.quillet"}})J")), alice);
        QVERIFY(log);
        QCOMPARE(log->summary(), QStringLiteral("EXC_BREAKPOINT (SIGTRAP) in Reports::deliberateCrashForTesting()"));
        QCOMPARE(log->bundleID, QStringLiteral("app.quillet"));
        QCOMPARE(log->version, QStringLiteral("1.2"));
        QCOMPARE(log->build, QStringLiteral("34"));
        QCOMPARE(log->incident, QStringLiteral("I1"));
        QCOMPARE(log->date, QDateTime(QDate(2026, 12, 9), QTime(7, 5, 51, 120), QTimeZone::utc()));
        QVERIFY(!log->scrubbed.contains(QLatin1String("storeInfo")));
        QVERIFY(!log->scrubbed.contains(QLatin1String("share_with_app_devs")));
        QVERIFY(!log->scrubbed.contains(QLatin1String("\"pid\": 12")));
        QVERIFY(log->scrubbed.contains(QLatin1String("\"pid\": 7"))); // nested keys stay
        QVERIFY(log->scrubbed.contains(QLatin1String(R"J("~\/bin\/quillet")J")));
        QVERIFY(log->scrubbed.contains(QLatin1String(R"J("HOST.example.org")J")));
        QVERIFY(!log->scrubbed.contains(QLatin1String("alice")));
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("date");
        const QDateTime at(QDate(2026, 12, 9), QTime(7, 5, 51), QTimeZone::utc());
        QTest::newRow("two fraction digits") << "2026-12-09 08:05:51.12 +0100" << at.addMSecs(120);
        QTest::newRow("four fraction digits") << "2026-12-09 08:05:51.1234 +0100" << at.addMSecs(123);
        QTest::newRow("no fraction") << "2026-12-09 08:05:51 +0100" << at;
        QTest::newRow("west of UTC") << "2026-12-09 02:35:51 -0430" << at;
        QTest::newRow("three digits") << "2026-12-09 08:05:51.123 +0100" << QDateTime();
        QTest::newRow("no zone") << "2026-12-09 08:05:51" << QDateTime();
        QTest::newRow("ISO form") << "2026-12-09T08:05:51Z" << QDateTime();
        QTest::newRow("no such day") << "2026-02-30 08:05:51 +0100" << QDateTime();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, date);
        const std::optional<QDateTime> parsed = CrashLog::parseDate(text);
        QCOMPARE(parsed.has_value(), date.isValid());
        if (parsed)
            QCOMPARE(*parsed, date);
        // A timestamp that does not read still gives a crash log.
        const auto log = CrashLog::read(ips(QStringLiteral(R"J({"timestamp":"%1"})J").arg(text), QStringLiteral("{}")), alice);
        QVERIFY(log);
        QCOMPARE(log->date.has_value(), date.isValid());
    }
};

QUILLET_TEST_MAIN_CORE(TestCrashLog)
#include "tst_crashlog.moc"
