#include "reports/CrashStore.h"

#include "document/CrashLog.h"
#include "platform/Paths.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {
// Runs the helper and returns its wait status.
int runHelper(const QString &mode)
{
    const QByteArray program = QFile::encodeName(TestEnv::helperPath(QStringLiteral("reports_helper_crash")));
    const QByteArray word = mode.toLatin1();
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(word.constData()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

QStringList records()
{
    return QDir(Paths::crashesDir()).entryList(QDir::Files, QDir::Name);
}

// Converts the records in a helper process: the same program, so its own frames get names.
QStringList convertInHelper()
{
    QProcess p;
    p.start(TestEnv::helperPath(QStringLiteral("reports_helper_crash")), {QStringLiteral("convert")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<CrashLog> readReport(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return CrashLog::read(QString::fromUtf8(f.readAll()), Paths::identity());
}
} // namespace

class TestCrashCapture : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The helpers' deaths leave no core files behind.
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
    }

    void init()
    {
        QDir(Paths::crashesDir()).removeRecursively();
        QDir(Paths::crashReportsDir()).removeRecursively();
        QDir(Paths::reportsDir()).removeRecursively();
    }

    void crashes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("summary");
        QTest::newRow("null write") << "null" << SIGSEGV << "EXC_BAD_ACCESS (SIGSEGV) in crashByNullWrite()";
        QTest::newRow("stack overflow") << "overflow" << SIGSEGV << "EXC_BAD_ACCESS (SIGSEGV) in recurseWithoutEnd(int)";
        QTest::newRow("abort") << "abort" << SIGABRT << "EXC_CRASH (SIGABRT) in crashByAbort()";
        QTest::newRow("uncaught") << "uncaught" << SIGABRT << "EXC_CRASH (SIGABRT) in throwOutOfRange()";
        QTest::newRow("uncaught on a thread") << "uncaughtThread" << SIGABRT << "EXC_CRASH (SIGABRT) in throwOutOfRange()";
        QTest::newRow("divide by zero") << "divide" << SIGFPE << "EXC_ARITHMETIC (SIGFPE) in divideByZero(int)";
        QTest::newRow("bus error") << "bus" << SIGBUS << "EXC_BAD_ACCESS (SIGBUS) in crashByBusError()";
        QTest::newRow("crash test") << "crashTest" << SIGTRAP
                                    << "EXC_BREAKPOINT (SIGTRAP) in Reports::deliberateCrashForTesting()";
        QTest::newRow("two threads") << "twoThreads" << SIGSEGV << "EXC_BAD_ACCESS (SIGSEGV) in crashByNullWrite()";
    }
    void crashes()
    {
        QFETCH(QString, mode);
        QFETCH(int, signal);
        QFETCH(QString, summary);
        const int status = runHelper(mode);
        QVERIFY2(WIFSIGNALED(status), qPrintable(QString::number(status)));
        QCOMPARE(WTERMSIG(status), signal);
        // One complete record.
        const QStringList left = records();
        QCOMPARE(left.size(), 1);
        QVERIFY(left[0].endsWith(QLatin1String(".crash")));
        QFile record(Paths::crashesDir() + QLatin1Char('/') + left[0]);
        QVERIFY(record.open(QIODevice::ReadOnly));
        QVERIFY(record.readAll().contains("\nmaps\n"));

        const QStringList reports = convertInHelper();
        QCOMPARE(reports.size(), 1);
        QVERIFY(records().isEmpty());
        QVERIFY(QFileInfo(reports[0]).fileName().startsWith(QLatin1String("quillet-")));
        QVERIFY(reports[0].endsWith(QLatin1String(".ips")));
        const std::optional<CrashLog> log = readReport(reports[0]);
        QVERIFY(log);
        QCOMPARE(log->summary(), summary);
        QCOMPARE(log->bundleID, QStringLiteral("app.quillet.dev"));
        QCOMPARE(log->version, QStringLiteral("1.2"));
        QVERIFY(log->date);
        // The report carries the crash's time.
        QVERIFY(qAbs(QFileInfo(reports[0]).lastModified().secsTo(*log->date)) <= 1);
        const Scrub::Identity who = Paths::identity();
        for (const QString &home : who.homes)
            QVERIFY(!log->scrubbed.contains(home));
        QVERIFY(!log->scrubbed.contains(QStringLiteral("/home/") + who.user + QLatin1Char('/')));

        if (mode.startsWith(QLatin1String("uncaught"))) {
            QDir exceptions(Paths::reportsDir() + QStringLiteral("/exceptions"));
            const QStringList kept = exceptions.entryList(QDir::Files);
            QCOMPARE(kept.size(), 1);
            QFile text(exceptions.filePath(kept[0]));
            QVERIFY(text.open(QIODevice::ReadOnly));
            QVERIFY(text.readAll().startsWith("Uncaught std::out_of_range: index 3 past the end of 2\n"));
        }
    }

    // Another program converts the record: its build differs, so own frames are offsets.
    void otherBuildGivesOffsets()
    {
        QVERIFY(WIFSIGNALED(runHelper(QStringLiteral("null"))));
        const QStringList reports = CrashStore::convertPending();
        QCOMPARE(reports.size(), 1);
        const std::optional<CrashLog> log = readReport(reports[0]);
        QVERIFY(log);
        QVERIFY2(QRegularExpression(QStringLiteral("^EXC_BAD_ACCESS \\(SIGSEGV\\) in Quillet \\+ \\d+$"))
                     .match(log->summary()).hasMatch(), qPrintable(log->summary()));
    }

    // A record the handler could not finish still becomes a report.
    void recordCutShort()
    {
        QDir().mkpath(Paths::crashesDir());
        QFile part(Paths::crashesDir() + QStringLiteral("/quillet-20261209-080000-999999999.crash.part"));
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write("quillet crash record 1\nversion 1.2\nbuild 34\ncommit abc\nbundle app.quillet.dev\n"
                   "exe /nowhere/quillet\nbuildid 00\npid 999999999\nsignal 11\ncode 1\naddress 0x0\npc 0x1234\n"
                   "time 1765267200 500000000\n");
        part.close();
        const QStringList reports = CrashStore::convertPending();
        QCOMPARE(reports.size(), 1);
        const std::optional<CrashLog> log = readReport(reports[0]);
        QVERIFY(log);
        QCOMPARE(log->summary(), QStringLiteral("EXC_BAD_ACCESS (SIGSEGV)"));
        QCOMPARE(*log->date, QDateTime::fromMSecsSinceEpoch(1765267200500, QTimeZone::utc()));
    }
};

QUILLET_TEST_MAIN_CORE(TestCrashCapture)
#include "tst_crashcapture.moc"
