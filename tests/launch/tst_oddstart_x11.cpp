// The real application started in odd environments: a runtime folder it must not trust, signals
// other than SIGTERM, and what a fresh start leaves on disk.
#include "TestEnv.h"

#include <QDirIterator>
#include <QProcess>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString appPath() { return QStringLiteral(QUILLET_TEST_BIN_DIR) + QStringLiteral("/../../src/quillet"); }
QString logDir() { return QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/Quillet"); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray appLog() { return readFile(logDir() + "/app.log"); }

// Every socket of ours below the test's home.
QStringList sockets()
{
    QStringList found;
    QDirIterator it(TestEnv::home(), QDir::System | QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        if (p.endsWith(".sock"))
            found << p;
    }
    return found;
}
} // namespace

class TestOddStartX11 : public QObject
{
    Q_OBJECT

    QProcessEnvironment env;
    std::unique_ptr<QProcess> app;

    bool startApp()
    {
        const int before = appLog().count("launch: started");
        app = std::make_unique<QProcess>();
        app->setProcessEnvironment(env);
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        if (!app->waitForStarted())
            return false;
        return QTest::qWaitFor([before] { return appLog().count("launch: started") > before; }, 10000);
    }

private slots:
    void init()
    {
        TestEnv::prepare();
        env = QProcessEnvironment::systemEnvironment();
        // The temp-folder fallback stays inside this test's home.
        const QString tmp = TestEnv::home() + "/tmp";
        QDir().mkpath(tmp);
        env.insert("TMPDIR", tmp);
    }

    void cleanup()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->kill();
            app->waitForFinished();
        }
        app.reset();
    }

    void signalsQuitCleanly_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("SIGINT") << int(SIGINT) << "SIGINT";
        QTest::newRow("SIGHUP") << int(SIGHUP) << "SIGHUP";
    }
    void signalsQuitCleanly()
    {
        QFETCH(int, number);
        QFETCH(QString, name);
        QVERIFY(startApp());
        QCOMPARE(sockets().size(), 1);

        // A fresh start keeps its folders and logs to the user.
        QCOMPARE(QFileInfo(logDir()).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(QFileInfo(logDir() + "/app.log").permissions() & 0x0077, QFile::Permissions());

        ::kill(pid_t(app->processId()), number);
        QVERIFY(app->waitForFinished(10000));
        QCOMPARE(app->exitStatus(), QProcess::NormalExit);
        QCOMPARE(app->exitCode(), 0);
        QVERIFY(appLog().contains("quit: " + name.toUtf8()));
        QCOMPARE(sockets(), QStringList());
    }

    void untrustedRuntimeFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a file") << "file";
        QTest::newRow("a link to a folder") << "link";
        QTest::newRow("owned by another user") << "other";
        QTest::newRow("open to everyone") << "open";
    }
    void untrustedRuntimeFolder()
    {
        QFETCH(QString, kind);
        const QString runtime = TestEnv::home() + "/runtime";
        const QByteArray native = QFile::encodeName(runtime);
        if (kind == "file") {
            QFile f(runtime);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (kind == "link") {
            QDir().mkpath(TestEnv::home() + "/real-runtime");
            QCOMPARE(::symlink(QFile::encodeName(TestEnv::home() + "/real-runtime").constData(), native.constData()), 0);
        } else {
            QVERIFY(QDir().mkpath(runtime));
            if (kind == "open") {
                QCOMPARE(::chmod(native.constData(), 0777), 0);
            } else {
                if (::geteuid() != 0)
                    QSKIP("only root can give a folder to another user");
                const passwd *nobody = ::getpwnam("nobody");
                QVERIFY(nobody);
                QCOMPARE(::chown(native.constData(), nobody->pw_uid, nobody->pw_gid), 0);
                QCOMPARE(::chmod(native.constData(), 0755), 0);
            }
        }
        env.insert("XDG_RUNTIME_DIR", runtime);
        QVERIFY(startApp());
        const QStringList socks = sockets();
        QCOMPARE(socks.size(), 1);
        QVERIFY2(!socks.first().startsWith(runtime + "/") && !socks.first().contains("real-runtime"),
                 qPrintable(socks.first()));
        const QString fallback = QFileInfo(socks.first()).path();
        QCOMPARE(QFileInfo(fallback).permissions() & 0x0077, QFile::Permissions());

        // A second start finds the first through the same fallback and hands its arguments over.
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(appPath(), {"--reopen"});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app->state(), QProcess::Running);
        QTRY_VERIFY(appLog().contains("a second start handed over --reopen"));
        QCOMPARE(sockets().size(), 1);
    }

    // With no private place for the socket at all, a start cannot tell whether another runs:
    // it says so and does not run.
    void noPrivateFolderAtAll()
    {
        for (const char *name : {"runtime-file", "tmp-file", "cache-file"}) {
            QFile f(TestEnv::home() + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        env.insert("XDG_RUNTIME_DIR", TestEnv::home() + "/runtime-file");
        env.insert("TMPDIR", TestEnv::home() + "/tmp-file");
        env.insert("XDG_CACHE_HOME", TestEnv::home() + "/cache-file");
        QProcess start;
        start.setProcessEnvironment(env);
        start.start(appPath(), {});
        QVERIFY(start.waitForFinished(10000));
        QCOMPARE(start.exitCode(), 1);
        QVERIFY(start.readAllStandardError().contains("only one copy runs"));
        QVERIFY(appLog().contains("does not start"));
        QCOMPARE(sockets(), QStringList());
    }
};

QUILLET_TEST_MAIN(TestOddStartX11)
#include "tst_oddstart_x11.moc"
