#include "document/RunRecord.h"

#include "TestEnv.h"

#include <QTimeZone>

using Ending = RunRecord::Ending;
Q_DECLARE_METATYPE(RunRecord::Ending)

class TestRunRecord : public QObject
{
    Q_OBJECT
private slots:
    void endings_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("clean");
        QTest::addColumn<bool>("settled");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<qint64>("deathsAfterTwo");
        QTest::newRow("no record") << false << false << false << Ending::none << qint64(0);
        QTest::newRow("quit within 20 s") << true << true << false << Ending::clean << qint64(0);
        QTest::newRow("quit later") << true << true << true << Ending::clean << qint64(0);
        QTest::newRow("killed after 20 s") << true << false << true << Ending::unexpected << qint64(0);
        QTest::newRow("died at launch") << true << false << false << Ending::diedAtLaunch << qint64(3);
    }
    void endings()
    {
        QFETCH(bool, present);
        QFETCH(bool, clean);
        QFETCH(bool, settled);
        QFETCH(Ending, ending);
        QFETCH(qint64, deathsAfterTwo);
        std::optional<RunRecord> record;
        if (present) {
            record = RunRecord(QDateTime::currentDateTimeUtc(), QStringLiteral("1.0"), QStringLiteral("7"));
            record->clean = clean;
            record->settled = settled;
            // The ending survives the trip through run.json.
            record = RunRecord::fromJson(record->toJson());
            QVERIFY(record);
        }
        QCOMPARE(RunRecord::ending(record), ending);
        QCOMPARE(RunRecord::nextEarlyDeaths(2, ending), deathsAfterTwo);
    }

    void form()
    {
        RunRecord r(QDateTime(QDate(2026, 12, 9), QTime(8, 5, 51, 700), QTimeZone::utc()),
                    QStringLiteral("1.2"), QStringLiteral("34"));
        r.settled = true;
        QCOMPARE(r.toJson(), QByteArray(R"({"build":"34","clean":false,"launched":"2026-12-09T08:05:51Z","settled":true,"version":"1.2"})"));
        QCOMPARE(RunRecord::fromJson(r.toJson()), r);
    }

    void unreadable_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut short") << QByteArray(R"({"build":"34","clean":false,"launched":"2026-12-09T08:05:51Z","settled":true})").left(60);
        QTest::newRow("missing key") << QByteArray(R"({"build":"34","clean":false,"launched":"2026-12-09T08:05:51Z","version":"1.2"})");
        QTest::newRow("true as text") << QByteArray(R"({"build":"34","clean":"true","launched":"2026-12-09T08:05:51Z","settled":true,"version":"1.2"})");
        QTest::newRow("fractional date") << QByteArray(R"({"build":"34","clean":false,"launched":"2026-12-09T08:05:51.5Z","settled":true,"version":"1.2"})");
        QTest::newRow("offset date") << QByteArray(R"({"build":"34","clean":false,"launched":"2026-12-09T08:05:51+01:00","settled":true,"version":"1.2"})");
        QTest::newRow("number build") << QByteArray(R"({"build":34,"clean":false,"launched":"2026-12-09T08:05:51Z","settled":true,"version":"1.2"})");
        QTest::newRow("array") << QByteArray("[]");
    }
    void unreadable()
    {
        QFETCH(QByteArray, json);
        const std::optional<RunRecord> r = RunRecord::fromJson(json);
        QVERIFY(!r);
        QCOMPARE(RunRecord::ending(r), Ending::none);
        QCOMPARE(RunRecord::nextEarlyDeaths(2, RunRecord::ending(r)), qint64(0));
    }
};

QUILLET_TEST_MAIN_CORE(TestRunRecord)
#include "tst_runrecord.moc"
