// The real application restarted from its tray menu with a canvas open: the old process ends, one
// new process starts and brings the canvas back.
#include "AppUnderTest.h"
#include "ProcessWindows.h"
#include "RealApp.h"
#include "ScreenPixels.h"
#include "TestEnv.h"
#include "XTestInput.h"
#include "platform/WindowList.h"

#include <QProcess>
#include <QSystemTrayIcon>
#include <QTemporaryDir>

#include <X11/keysym.h>
#include <csignal>

using namespace AppUnderTest;

class TestRestartX11 : public QObject
{
    Q_OBJECT

    QProcess trayer;

    // The tray host's window: where the application's icon sits.
    std::optional<QRectF> trayBounds()
    {
        for (const WindowListEntry &w : WindowList::shared().onScreenWindows())
            if (w.pid == trayer.processId() && w.bounds)
                return w.bounds;
        return std::nullopt;
    }

    // How many pop-up windows (menus) of a process are mapped.
    static int popupsOf(qint64 pid)
    {
        int n = 0;
        for (const ProcessWindows::TopWindow &w : ProcessWindows::of(pid))
            n += w.mapped && w.overrideRedirect;
        return n;
    }

private slots:
    void initTestCase()
    {
        // No status-notifier host: the icon goes to the XEmbed tray.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        trayer.setProgram(QStringLiteral("trayer"));
        trayer.setArguments({"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                             "--SetDockType", "true", "--expand", "true"});
        trayer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        trayer.start();
        QVERIFY2(trayer.waitForStarted(5000), qPrintable(trayer.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }

    void cleanupTestCase()
    {
        // A copy left running would hold the test's output open.
        for (qint64 pid : RealApp::runningCopies())
            ::kill(pid_t(pid), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(RealApp::runningCopies().isEmpty(), 5000);
        trayer.terminate();
        if (!trayer.waitForFinished(3000)) {
            trayer.kill();
            trayer.waitForFinished(3000);
        }
    }

    void restartBringsTheCanvasBack()
    {
        QVERIFY(RealApp::markWelcomed());
        QTemporaryDir files;
        QVERIFY(files.isValid());
        const QRgb colour = qRgb(0x12, 0xab, 0x34);
        QVERIFY(ScreenPixels::writePicture(files.filePath(QStringLiteral("a.png")), QSize(300, 200), colour));

        QProcess app;
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.setWorkingDirectory(files.path());
        app.start(appPath(), {QStringLiteral("a.png")});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").count("canvas opened") == 1, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixels::find(colour).bounds.size(), QSize(298, 198), 5000);
        const qint64 old = app.processId();
        QCOMPARE(RealApp::runningCopies(), QList<qint64>{old});

        // The tray icon's menu, then its second item from the bottom: "Restart Quillet™" (the
        // version line at the very bottom cannot be chosen).
        QTRY_VERIFY_WITH_TIMEOUT(trayBounds().has_value() && !trayBounds()->isEmpty(), 10000);
        XTestInput input;
        QVERIFY(input.isValid());
        // The menu is on screen before the keys go to it; a click the tray host did not pass on
        // is made again (a key without the menu would reach the canvas instead).
        bool open = false;
        for (int attempt = 0; attempt < 3 && !open; ++attempt) {
            input.moveTo(trayBounds()->center().toPoint());
            input.buttonDown(1);
            input.buttonUp(1);
            open = QTest::qWaitFor([&] { return popupsOf(old) > 0; }, 5000);
        }
        QVERIFY(open);
        QTest::qWait(100);
        input.chord({}, XK_Up);
        input.chord({}, XK_Up);
        input.chord({}, XK_Return);
        const bool finished = app.waitForFinished(10000);

        // The open canvas does not hold the quit up.
        QVERIFY(finished);
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        // One new process, and the canvas with a's pixels back on screen.
        QTRY_COMPARE_WITH_TIMEOUT(RealApp::runningCopies().size(), 1, 10000);
        const qint64 restarted = RealApp::runningCopies().value(0);
        QVERIFY(restarted != old);
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").count("canvas opened") == 2, 15000);
        QVERIFY(readFile(logDir() + "/app.log").contains("last run ended: clean"));
        // The rail beside it now shows the page's thumbnail too: only a's full rows are measured
        // (the grips in the middle of its top and bottom edges split a few more).
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixels::find(colour, 250).bounds.width(), 298, 5000);
        QVERIFY(ScreenPixels::find(colour, 250).count > 298 * 198 * 9 / 10);
        QCOMPARE(RealApp::runningCopies(), QList<qint64>{restarted});

        ::kill(pid_t(restarted), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(RealApp::runningCopies().isEmpty(), 10000);
    }
};

QUILLET_TEST_MAIN(TestRestartX11)
#include "tst_restart_x11.moc"
