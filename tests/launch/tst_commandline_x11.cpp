// The real application's command line, run as a user runs it: the answers it gives by itself
// (help, version, an unknown option) and what a later start does with them while a copy runs.
#include "AppUnderTest.h"
#include "RealApp.h"
#include "TestEnv.h"

#include "app/Updates.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>

namespace {
QByteArray appLog() { return AppUnderTest::readFile(AppUnderTest::logDir() + "/app.log"); }

// Every socket below the test's home.
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

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QStringList &args, const QProcessEnvironment &env, const QString &folder = QString())
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(AppUnderTest::appPath(), args);
    Run r;
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

const QByteArray versionOut = Updates::versionLine().toUtf8() + '\n';
} // namespace

class TestCommandLineX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;

    bool startApp()
    {
        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(AppUnderTest::appPath(), {});
        return app->waitForStarted()
               && QTest::qWaitFor([] { return appLog().contains("launch: started"); }, 15000);
    }

    // Checks one start against its table row.
    static void compareRun(const Run &r, int status, const QByteArray &out, const QByteArray &err)
    {
        QCOMPARE(r.status, status);
        if (out.endsWith('\n'))
            QCOMPARE(r.out, out);
        else
            QVERIFY2(r.out.startsWith(out), r.out.constData());
        QCOMPARE(r.err, err);
    }

private slots:
    void init()
    {
        TestEnv::prepare();
        QVERIFY(RealApp::markWelcomed());
    }

    void cleanup()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->terminate();
            if (!app->waitForFinished(10000)) {
                app->kill();
                app->waitForFinished();
            }
        }
        app.reset();
    }

    void answeredAlone_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out"); // a whole output when it ends in a line break, else its start
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("Usage: quillet [OPTION]... [--] [PICTURE]...")
                              << QByteArray();
        QTest::newRow("version") << QStringList{"--version"} << 0 << versionOut << QByteArray();
        QTest::newRow("help wins over version") << QStringList{"--version", "--help"} << 0 << QByteArray("Usage:")
                                                << QByteArray();
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << QByteArray()
                                        << QByteArray("quillet: unknown option --bogus (see quillet --help)\n");
        QTest::newRow("unknown beside help") << QStringList{"--help", "-x"} << 2 << QByteArray()
                                             << QByteArray("quillet: unknown option -x (see quillet --help)\n");
        QTest::newRow("a picture named like an option, without --")
            << QStringList{"-shot.png"} << 2 << QByteArray()
            << QByteArray("quillet: unknown option -shot.png (see quillet --help)\n");
        QTest::newRow("help after -- is a picture's name, the unknown option before it counts")
            << QStringList{"--bogus", "--", "--help"} << 2 << QByteArray()
            << QByteArray("quillet: unknown option --bogus (see quillet --help)\n");
    }
    // Answered without a display: a start that set up the toolkit would fail on the missing
    // server, and one that claimed the single instance would leave its socket.
    void answeredAlone()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":65000");
        env.insert("QT_QPA_PLATFORM", "xcb");
        compareRun(run(args, env), status, out, err);
        QCOMPARE(sockets(), QStringList());
        QVERIFY(!appLog().contains("launch:"));
    }

    void helpListsEveryOption()
    {
        const Run r = run({"--help"}, QProcessEnvironment::systemEnvironment());
        QCOMPARE(r.status, 0);
        for (const char *word : {"--demo", "--reopen", "--welcome", "--settings", "--unseen", "--version",
                                 "--autopilot OUT", "--bench-pages N", "--columns N", "--report-check",
                                 "--report-send-test", "--talk-check FILE", "--stats-send-test", "--crash-test"})
            QVERIFY2(r.out.contains(word), word);
    }

    // With a copy running, the answers are the same and nothing is handed to it; a picture whose
    // name starts with "-" is handed over after "--" and opened.
    void withACopyRunning()
    {
        QVERIFY(startApp());
        const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        compareRun(run({"--help"}, env), 0, "Usage: quillet", QByteArray());
        compareRun(run({"--version"}, env), 0, versionOut, QByteArray());
        compareRun(run({"--bogus"}, env), 2, QByteArray(),
                   "quillet: unknown option --bogus (see quillet --help)\n");
        QVERIFY(!appLog().contains("handed over"));

        const QString folder = TestEnv::home() + "/pictures";
        QVERIFY(QDir().mkpath(folder));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(folder + "/-shot.png"));
        compareRun(run({"--", "-shot.png"}, env, folder), 0, QByteArray(), QByteArray());
        QTRY_VERIFY2(appLog().contains("handed over -- " + QFile::encodeName(folder) + "/-shot.png"), appLog().right(400));
        QTRY_VERIFY2(appLog().contains("import: 1 file(s) opened, 1 picture(s), 0 unreadable"), appLog().right(400));
        QCOMPARE(app->state(), QProcess::Running);
        QCOMPARE(sockets().size(), 1);
    }
};

QUILLET_TEST_MAIN(TestCommandLineX11)
#include "tst_commandline_x11.moc"
