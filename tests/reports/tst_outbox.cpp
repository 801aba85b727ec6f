#include "ReportServer.h"

#include "reports/Reports.h"

#include "app/ActivityLog.h"
#include "platform/BuildInfo.h"
#include "platform/PrivateFiles.h"

#include "TestEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QTimeZone>

#include <sys/stat.h>

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Report report(Report::Kind kind = Report::Kind::crash)
{
    Report r(QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(), kind, QDateTime::currentDateTimeUtc(),
             Reports::appInfo(), {}, QStringLiteral("install"), QStringLiteral("summary"), QStringLiteral("log"), {});
    r.crash = QStringLiteral("/home/USER/a");
    return r;
}

QStringList outbox()
{
    return QDir(Reports::outboxFolder()).entryList(QDir::Files | QDir::Hidden);
}

// Sends and waits for the completion.
bool sendAndWait(const Report &r)
{
    std::optional<bool> result;
    Reports::send(r, [&result](bool sent) { result = sent; });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
        return false;
    return *result;
}
} // namespace

class TestOutbox : public QObject
{
    Q_OBJECT
    std::unique_ptr<ReportServer> server;

private slots:
    void init()
    {
        QDir(Reports::folder()).removeRecursively();
        server = std::make_unique<ReportServer>();
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), server->url());
        Reports::uploadTimeoutMs = 30000;
    }

    // First, while the process does not trust the certificate yet.
    void untrustedServerGetsNothing()
    {
        const Report r = report();
        QVERIFY(!sendAndWait(r));
        QCOMPARE(outbox(), QStringList{r.id + QStringLiteral(".json")});
        QVERIFY(readFile(ActivityLog::logPath()).contains("report crash " + r.id.left(8).toLatin1() + " kept for later"));
        ReportServer::trust();
    }

    // A report kept for later holds the log and the user's words: from the data home down, every
    // folder is the user's alone and so is every file, also those an older version left open.
    void keptReportsArePrivate()
    {
        const QString vellum = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/Vellum";
        QDir(vellum).removeRecursively();
        QVERIFY(QDir().mkpath(vellum + "/Reports/exceptions"));
        QFile older(vellum + "/Reports/exceptions/old.txt");
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("x") == 1);
        older.close();
        for (const QString &path : {vellum, vellum + "/Reports", vellum + "/Reports/exceptions"})
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(older.fileName()).constData(), 0644), 0);
        PrivateFiles::tightenHomes();

        server->status = 500; // kept in the outbox
        const Report r = report();
        QVERIFY(!sendAndWait(r));
        QCOMPARE(outbox(), QStringList{r.id + QStringLiteral(".json")});
        QStringList seen;
        QDirIterator it(vellum, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList paths{vellum};
        while (it.hasNext())
            paths << it.next();
        for (const QString &path : paths) {
            struct stat st;
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
            const mode_t expected = S_ISDIR(st.st_mode) ? 0700 : 0600;
            QVERIFY2((st.st_mode & 0777) == expected, qPrintable(path + QStringLiteral(" %1").arg(st.st_mode & 0777, 0, 8)));
            seen << QFileInfo(path).fileName();
        }
        QVERIFY(seen.contains(r.id + ".json"));
        QVERIFY(seen.contains("old.txt"));
    }

    void sent()
    {
        Report r = report();
        QVERIFY(sendAndWait(r));
        QCOMPARE(server->requests.size(), 1);
        const ReportServer::Request &put = server->requests.first();
        QCOMPARE(put.method, QByteArray("PUT"));
        QCOMPARE(put.path, QByteArray("/v1/report/") + r.id.toLatin1());
        QCOMPARE(put.body, *r.json(false));
        QCOMPARE(put.headers.value("x-quillet-report"), QByteArray("1"));
        QCOMPARE(put.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(put.headers.value("x-amz-content-sha256"), QCryptographicHash::hash(put.body, QCryptographicHash::Sha256).toHex());
        QVERIFY(outbox().isEmpty());
        QVERIFY(readFile(ActivityLog::logPath()).contains("report crash " + r.id.left(8).toLatin1() + " sent"));
    }

    void keptForLater_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<int>("requests");
        QTest::newRow("server error") << 500 << "https" << 1;
        QTest::newRow("redirect") << 307 << "https" << 1;
        QTest::newRow("no answer") << 0 << "https" << 1;
        QTest::newRow("plain http") << 204 << "http" << 0;
    }
    void keptForLater()
    {
        QFETCH(int, status);
        QFETCH(QString, scheme);
        QFETCH(int, requests);
        server->status = status;
        Reports::uploadTimeoutMs = 1000;
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), server->url().replace(QStringLiteral("https:"), scheme + QLatin1Char(':')));
        const Report r = report(Report::Kind::quit);
        QVERIFY(!sendAndWait(r));
        QCOMPARE(server->requests.size(), requests);
        QCOMPARE(outbox(), QStringList{r.id + QStringLiteral(".json")});
        QVERIFY(readFile(ActivityLog::logPath()).contains("report quit " + r.id.left(8).toLatin1() + " kept for later"));

        // The next flush takes it to a server that answers.
        server->status = 204;
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), server->url());
        Reports::flushOutbox();
        Reports::flushOutbox(); // in flight: not sent twice
        QVERIFY(QTest::qWaitFor([] { return outbox().isEmpty(); }, 20000));
        QCOMPARE(server->requests.size(), requests + 1);
        QCOMPARE(server->requests.last().body, *r.json(false));
    }

    void flushSendsOnlyYoungReports()
    {
        QDir().mkpath(Reports::outboxFolder());
        const Report old = report();
        const Report young = report();
        auto put = [](const QString &name, const QByteArray &data, int daysOld) {
            QFile f(Reports::outboxFolder() + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(data);
            f.flush();
            f.setFileTime(QDateTime::currentDateTime().addDays(-daysOld), QFileDevice::FileModificationTime);
        };
        put(old.id + QStringLiteral(".json"), *old.json(false), 31);
        put(young.id + QStringLiteral(".json"), *young.json(false), 1);
        put(QStringLiteral("notes.txt"), "hello", 1);
        put(QStringLiteral("report.json"), *young.json(false), 1);                          // not an id
        put(QUuid::createUuid().toString(QUuid::WithoutBraces).toLower() + ".json", *young.json(false), 1); // another id inside
        put(QStringLiteral(".") + young.id + QStringLiteral(".json.a1b2c3"), "{\"half", 1); // a save in progress
        put(QStringLiteral("stray.bin"), "old", 40);
        Reports::flushOutbox();
        QVERIFY(QTest::qWaitFor([&] { return !outbox().contains(young.id + QStringLiteral(".json")); }, 20000));
        QCOMPARE(server->requests.size(), 1);
        QCOMPARE(server->requests.first().path, QByteArray("/v1/report/") + young.id.toLatin1());
        const QStringList left = outbox();
        QVERIFY(!left.contains(old.id + QStringLiteral(".json")));
        QVERIFY(!left.contains(QStringLiteral("stray.bin")));
        QCOMPARE(left.size(), 4); // the young strays wait for their 30 days
    }

    // Only the collected files a report carries go when it is sent.
    void sendRemovesOnlyWhatItCarries()
    {
        Reports::recordException(QStringLiteral("E"), QStringLiteral("first"), {}, false);
        const Report r = Reports::makeReport(Report::Kind::exception, QStringLiteral("An error"));
        QVERIFY(r.exception->startsWith(QStringLiteral("Caught E: first")));
        Reports::recordException(QStringLiteral("E"), QStringLiteral("later"), {}, false);
        QVERIFY(sendAndWait(r));
        const QStringList kept = Reports::texts(Reports::exceptionsFolder());
        QCOMPARE(kept, QStringList{QStringLiteral("Caught E: later\n")});
    }
};

QUILLET_TEST_MAIN(TestOutbox)
#include "tst_outbox.moc"
