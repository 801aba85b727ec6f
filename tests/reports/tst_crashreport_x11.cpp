// The application end to end against a local report server: a crash at launch is offered at
// the next launch and sent with a click, and a report cut off mid-upload goes out once later.
#include "ReportServer.h"

#include "document/Report.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QDir>
#include <QProcess>
#include <QSysInfo>

#include <X11/keysym.h>
#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QString logPath() { return QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/Quillet/app.log"); }
QString outboxPath() { return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Vellum/Reports/outbox"); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char accountName[] = "quilletaccount";
} // namespace

class TestCrashReportX11 : public QObject
{
    Q_OBJECT
    std::unique_ptr<ReportServer> server;
    std::unique_ptr<QProcess> app;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLET_TEST_CA"), QStringLiteral(QUILLET_SOURCE_DIR "/tests/reports/report-server.crt"));
        env.insert(QStringLiteral("QUILLET_TEST_REPORT_URL"), server->url());
        env.insert(QStringLiteral("USER"), QString::fromLatin1(accountName));
        return env;
    }

    void start(const QStringList &arguments)
    {
        app = std::make_unique<QProcess>();
        app->setProcessEnvironment(environment());
        app->start(TestEnv::helperPath(QStringLiteral("reports_trusted_app")), arguments);
        QVERIFY(app->waitForStarted());
    }

    bool logged(const QByteArray &text, int timeoutMs)
    {
        return QTest::qWaitFor([&] { return readFile(logPath()).contains(text); }, timeoutMs);
    }

    void quit()
    {
        if (!app || app->state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(app->processId()), SIGTERM);
        if (!QTest::qWaitFor([&] { return app->state() == QProcess::NotRunning; }, 20000)) {
            app->kill();
            app->waitForFinished();
        }
    }

private slots:
    void initTestCase()
    {
        ReportServer::trust();
    }

    void init()
    {
        server = std::make_unique<ReportServer>();
    }

    void cleanup()
    {
        quit();
        app.reset();
    }

    void crashAtLaunchIsSentFromTheWindow()
    {
        // The crash test dies by the trap signal.
        const QByteArray program = QFile::encodeName(TestEnv::helperPath(QStringLiteral("reports_trusted_app")));
        char crashWord[] = "--crash-test";
        char *argv[] = {const_cast<char *>(program.constData()), crashWord, nullptr};
        QByteArrayList envText;
        for (const QString &entry : environment().toStringList())
            envText << entry.toLocal8Bit();
        QList<char *> envp;
        for (QByteArray &entry : envText)
            envp << entry.data();
        envp << nullptr;
        pid_t pid = 0;
        QCOMPARE(posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, envp.data()), 0);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGTRAP);

        // The next launch asks about it about 2 s in; Tab to the e-mail field, Return sends.
        start({});
        QVERIFY(logged("reports: asking about 1 crash report(s)", 20000));
        QTest::qWait(500);
        XTestInput input;
        QVERIFY(input.isValid());
        input.chord({}, XK_Tab);
        input.chord({}, XK_Return);
        QVERIFY(QTest::qWaitFor([&] { return !server->requests.isEmpty(); }, 20000));
        QVERIFY(logged("sent", 20000));
        QTest::qWait(300);
        QCOMPARE(server->requests.size(), 1);

        const ReportServer::Request &put = server->requests.first();
        QCOMPARE(put.method, QByteArray("PUT"));
        const std::optional<Report> report = Report::fromJson(put.body);
        QVERIFY(report);
        QCOMPARE(report->kind, Report::Kind::crash);
        QCOMPARE(report->summary, QStringLiteral("EXC_BREAKPOINT (SIGTRAP) in Reports::deliberateCrashForTesting()"));
        QCOMPARE(report->state.value(QStringLiteral("lastRunEnded")), QStringLiteral("diedAtLaunch"));
        QVERIFY(report->crash && report->crash->contains(QLatin1String("deliberateCrashForTesting")));
        const QString body = QString::fromUtf8(put.body);
        QVERIFY(!body.contains(TestEnv::home()));
        QVERIFY(!body.contains(QLatin1String(accountName)));
        if (const passwd *pw = getpwuid(getuid()); pw && std::strlen(pw->pw_dir) > 1)
            QVERIFY(!body.contains(QString::fromLocal8Bit(pw->pw_dir) + QLatin1Char('/')));
        const QString host = QSysInfo::machineHostName();
        if (host.size() >= 2 && host != QLatin1String("localhost"))
            QVERIFY2(!QRegularExpression(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(host))).match(body).hasMatch(),
                     qPrintable(host));
        QVERIFY(QDir(outboxPath()).entryList(QDir::Files).isEmpty());
    }

    // Killed while the server holds the upload: the report waits in the outbox and the next
    // launch's check uploads it, once.
    void killedMidUploadIsSentOnceLater()
    {
        QDir(outboxPath()).removeRecursively();
        server->status = 0;
        start({QStringLiteral("--report-send-test")});
        QVERIFY(QTest::qWaitFor([&] { return !server->requests.isEmpty(); }, 20000));
        app->kill();
        QVERIFY(app->waitForFinished());
        const QStringList waiting = QDir(outboxPath()).entryList(QDir::Files);
        QCOMPARE(waiting.size(), 1);
        const QByteArray id = waiting.first().chopped(5).toLatin1();

        server = std::make_unique<ReportServer>();
        start({});
        QVERIFY(QTest::qWaitFor([&] { return QDir(outboxPath()).entryList(QDir::Files).isEmpty(); }, 20000));
        QTest::qWait(500);
        QCOMPARE(server->requests.size(), 1);
        QCOMPARE(server->requests.first().path, QByteArray("/v1/report/") + id);
    }
};

QUILLET_TEST_MAIN(TestCrashReportX11)
#include "tst_crashreport_x11.moc"
