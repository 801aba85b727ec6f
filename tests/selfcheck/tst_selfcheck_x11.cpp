// The self-check on a real X display keeps out of the user's way: the user's preferences and
// history stay as they were, the clipboard stays with its owner, the application in front stays
// in front, the capture shortcuts stay free for others, and a running Quillet is not handed the
// run's arguments.
#include "AppUnderTest.h"
#include "TestEnv.h"
#include "TestMonitors.h"

#include "platform/FrontApplication.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

namespace {
// The stages measure their canvases on the 1440 x 900 screen a run stages; on X a run takes the
// monitor it opens on, so the test gives the server's first monitor that size while the run lasts
// and puts the monitors back afterwards.
struct StagedMonitor
{
    const QList<TestMonitors::Monitor> before = TestMonitors::list();
    StagedMonitor()
    {
        // Every monitor of the test server goes, so that putting them back keeps their order
        // (the first one listed is the one tests after this one open their windows on).
        for (const TestMonitors::Monitor &m : before)
            if (m.name.startsWith(QLatin1String("QUILLET-")))
                QProcess::execute(QStringLiteral("xrandr"), {"--delmonitor", m.name});
        QProcess::execute(QStringLiteral("xrandr"), {"--setmonitor", "QUILLET-A", "1440/381x900/238+0+0", "screen"});
        QTest::qWait(300);
    }
    ~StagedMonitor() { TestMonitors::restore(before); }
};

QString configFile()
{
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Quillet/preferences.json");
}
QString historyFile()
{
    return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Vellum/History/20260101-120000-ABCD/canvas.json");
}
void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
QString appLog()
{
    return QString::fromUtf8(AppUnderTest::readFile(AppUnderTest::logDir() + QStringLiteral("/app.log")));
}

// Runs the self-check into folder on this display (started, then waited for).
struct SelfCheckRun
{
    QProcess process;
    QByteArray out;
    explicit SelfCheckRun(const QString &folder)
    {
        process.start(AppUnderTest::appPath(), {"--autopilot", folder});
    }
    // Waits until the run has printed line.
    bool reached(const QByteArray &line)
    {
        while (!out.contains(line)) {
            if (!process.waitForReadyRead(60000))
                return false;
            out += process.readAllStandardOutput();
        }
        return true;
    }
    // The failed check lines and the end of the output, for a failure message.
    QByteArray failures() const
    {
        QByteArray lines;
        for (const QByteArray &line : out.split('\n'))
            if (line.startsWith("FAIL"))
                lines += line + '\n';
        return lines + out.right(400);
    }
    bool passed()
    {
        if (!process.waitForFinished(300000))
            return false;
        out += process.readAllStandardOutput();
        const QList<QByteArray> lines = out.trimmed().split('\n');
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
               && lines.last() == "all checks passed";
    }
};
} // namespace

class TestSelfCheckX11 : public QObject
{
    Q_OBJECT

private slots:
    void staysOutOfTheUsersWay()
    {
        const QByteArray prefs = R"({"history.paused": true, "export.halfSize": true, "onboarding.done": true})";
        writeFile(configFile(), prefs);
        writeFile(historyFile(), R"({"shots": []})");
        const QByteArray history = AppUnderTest::readFile(historyFile());

        QGuiApplication::clipboard()->setText(QStringLiteral("the user's words"));
        QTRY_VERIFY(QGuiApplication::clipboard()->ownsClipboard());
        QProcess front;
        front.start(TestEnv::helperPath("../capture/capture_helper_frontwindow"), {"200", "200", "300", "200"});
        QVERIFY(front.waitForReadyRead(10000));
        QCOMPARE(front.readAll().trimmed(), QByteArray("ready"));

        QTemporaryDir out;
        const StagedMonitor staged;
        SelfCheckRun run(out.filePath("run"));
        // The capture shortcut of the clipboard (Ctrl+Shift+Super+2) is free for another client
        // while the run goes on.
        QProcess grab;
        grab.start(TestEnv::helperPath("../app/app_helper_grabkey"), {"32", "69"});
        QVERIFY(grab.waitForReadyRead(10000));
        QCOMPARE(grab.readAll().trimmed(), QByteArray("ready"));
        grab.closeWriteChannel();
        // Once the settings window has worked out the shortcuts' statuses, the capture shortcut
        // (Ctrl+Shift+2) is still free: the run grabbed nothing.
        QVERIFY(run.reached("ok   canvas opened"));
        QProcess grabMidRun;
        grabMidRun.start(TestEnv::helperPath("../app/app_helper_grabkey"), {"32", "5"});
        QVERIFY(grabMidRun.waitForReadyRead(10000));
        QCOMPARE(grabMidRun.readAll().trimmed(), QByteArray("ready"));
        grabMidRun.closeWriteChannel();
        QVERIFY2(run.passed(), run.failures().constData());
        grab.waitForFinished();
        grabMidRun.waitForFinished();

        // The files of the drop stay in the run's folder, not in the user's.
        QCOMPARE(QDir(out.filePath("run/dropped")).entryList(QDir::Files).size(), 5);
        QCOMPARE(AppUnderTest::readFile(configFile()), prefs);
        QCOMPARE(AppUnderTest::readFile(historyFile()), history);
        QVERIFY(QGuiApplication::clipboard()->ownsClipboard());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's words"));
        QCOMPARE(FrontApplication::shared().frontmost().value_or(RunningApp{}).pid, front.processId());
        front.kill();
        front.waitForFinished();
    }

    // A Quillet the user runs is not told about the run.
    void aRunningQuilletIsLeftAlone()
    {
        writeFile(configFile(), R"({"onboarding.done": true})");
        QProcess running;
        running.start(AppUnderTest::appPath(), {});
        QTRY_VERIFY_WITH_TIMEOUT(appLog().contains("launch: started"), 20000);

        QTemporaryDir out;
        const StagedMonitor staged;
        SelfCheckRun run(out.filePath("run"));
        QVERIFY2(run.passed(), run.failures().constData());
        QTest::qWait(500);
        QVERIFY2(!appLog().contains("a second start handed over"), qPrintable(appLog()));
        QVERIFY(running.state() == QProcess::Running);
        running.terminate();
        QVERIFY(running.waitForFinished(10000));
    }
};

QUILLET_TEST_MAIN(TestSelfCheckX11)
#include "tst_selfcheck_x11.moc"
