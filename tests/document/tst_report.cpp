#include "document/Report.h"

#include "TestEnv.h"

#include <QTimeZone>

namespace {
Report sample()
{
    Report r(QStringLiteral("0f8e2a6c-1b2d-4e5f-8a9b-0c1d2e3f4a5b"), Report::Kind::crash,
             QDateTime(QDate(2026, 12, 9), QTime(8, 5, 51), QTimeZone::utc()),
             {QStringLiteral("1.2"), QStringLiteral("34"), QStringLiteral("app.quillet"), QStringLiteral("abc")},
             {QStringLiteral("Debian 12"), QStringLiteral("Box"), QStringLiteral("x86_64"), QStringLiteral("en_US"), 16,
              {QStringLiteral("2880x1800@2")}},
             QStringLiteral("inst"), QStringLiteral("Café crashed"), QStringLiteral("log"),
             {{QStringLiteral("lastRunEnded"), QStringLiteral("none")}});
    return r;
}

QString repeated(const QString &piece, qsizetype bytes)
{
    const qsizetype pieceBytes = piece.toUtf8().size();
    return piece.repeated(bytes / pieceBytes);
}
} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private slots:
    void compactForm()
    {
        Report r = sample();
        r.crash = QStringLiteral("/Users/USER/x");
        QCOMPARE(r.encode(false),
                 QByteArray(R"({"app":{"build":"34","bundleID":"app.quillet","commit":"abc","version":"1.2"},)"
                            R"("crash":"\/Users\/USER\/x","created":"2026-12-09T08:05:51Z",)"
                            R"("id":"0f8e2a6c-1b2d-4e5f-8a9b-0c1d2e3f4a5b","install":"inst","kind":"crash","log":"log",)"
                            R"("schema":1,"state":{"lastRunEnded":"none"},"summary":"Café crashed",)"
                            R"("system":{"arch":"x86_64","locale":"en_US","memoryGB":16,"model":"Box","os":"Debian 12",)"
                            R"("screens":["2880x1800@2"]}})"));
        const QByteArray pretty = r.encode(true);
        QVERIFY(pretty.contains(R"("/Users/USER/x")"));
        QVERIFY(!pretty.contains("null"));
        QCOMPARE(Report::fromJson(pretty), r);
        QCOMPARE(Report::fromJson(r.encode(false)), r);
    }

    void decodingNeedsEveryKey_data()
    {
        QTest::addColumn<QString>("key");
        for (const char *key : {"id", "kind", "created", "app", "system", "install", "summary", "log", "state", "schema"})
            QTest::newRow(key) << QString::fromLatin1(key);
    }
    void decodingNeedsEveryKey()
    {
        QFETCH(QString, key);
        QByteArray json = sample().encode(false);
        json.replace(QByteArray("\"") + key.toLatin1() + "\":", QByteArray("\"x") + key.toLatin1() + "\":");
        QVERIFY(!Report::fromJson(json));
    }

    void unknownKindFails()
    {
        QByteArray json = sample().encode(false);
        json.replace(R"("kind":"crash")", R"("kind":"panic")");
        QVERIFY(!Report::fromJson(json));
    }

    // The log goes first, to a quarter, and then starts at a line.
    void longLogIsCutOnce()
    {
        Report r = sample();
        r.log = QStringLiteral("line of twenty-six bytes.\n").repeated(80000);
        QCOMPARE(r.log.toUtf8().size(), 80000 * 26);
        const Report fitted = r.fitted();
        const QByteArray data = *r.json(false);
        QVERIFY(data.size() <= Report::maxBytes);
        QVERIFY(fitted.log.toUtf8().size() <= 80000 * 26 / 4);
        QVERIFY(fitted.log.startsWith(QStringLiteral("line of")));
        QVERIFY(r.log.endsWith(fitted.log));
    }

    void limitIsInclusive()
    {
        Report r = sample();
        r.log.clear();
        const qint64 rest = r.encode(false).size();
        r.log = QString(Report::maxBytes - rest, QLatin1Char('x'));
        QCOMPARE(r.encode(false).size(), Report::maxBytes);
        QCOMPARE(r.fitted(), r);
        r.log += QLatin1Char('x');
        QVERIFY(r.fitted().log != r.log);
        QVERIFY(r.json(false)->size() <= Report::maxBytes);
    }

    void smallLogStaysAndCrashIsHalvedByCharacters()
    {
        Report r = sample();
        r.log = QString(8000, QLatin1Char('l'));
        r.crash = QString(600000, QChar(0xE9)); // 1.2 MB of "é"
        const Report fitted = r.fitted();
        QCOMPARE(fitted.log, r.log);
        QCOMPARE(*fitted.crash, QString(300000, QChar(0xE9)) + QStringLiteral("\n[cut to fit]"));
        QVERIFY(fitted.encode(false).size() <= Report::maxBytes);
    }

    void lastDiagnosticLeavesEmptyList()
    {
        Report r = sample();
        r.diagnostics = QStringList{QString(950000, QLatin1Char('d'))};
        QVERIFY(r.json(false)->contains(R"("diagnostics":[])"));
    }

    // Everything large at once still fits, and both forms carry the same texts.
    void everythingLargeFits()
    {
        Report r = sample();
        r.log = QStringLiteral("a log line of the application\n").repeated(2000000 / 30);
        r.diagnostics = QStringList();
        for (int i = 0; i < 5; ++i)
            r.diagnostics->append(QString(250000, QLatin1Char('0' + i)));
        r.crash = repeated(QStringLiteral("frame /home/USER/x\n"), 1000000);
        r.exception = QString(200000, QLatin1Char('e'));
        r.comment = QString(1200000, QLatin1Char('c'));
        const QByteArray compact = *r.json(false);
        QVERIFY2(compact.size() <= Report::maxBytes, QByteArray::number(compact.size()));
        const QByteArray pretty = *r.json(true);
        QCOMPARE(Report::fromJson(pretty), Report::fromJson(compact));
        QVERIFY(Report::fromJson(compact)->comment->endsWith(QStringLiteral("\n[cut to fit]")));
    }

    void hugeCommentAloneFits()
    {
        Report r = sample();
        r.comment = QString(1200000, QLatin1Char('c'));
        const std::optional<QByteArray> data = r.json(false);
        QVERIFY(data && data->size() <= Report::maxBytes);
        QCOMPARE(Report::fromJson(*data)->comment->left(10), QString(10, QLatin1Char('c')));
    }
};

QUILLET_TEST_MAIN_CORE(TestReport)
#include "tst_report.moc"
