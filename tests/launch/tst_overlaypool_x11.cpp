// The real application keeps its overlay windows from one capture to the next: ten captures in
// a row each give exactly the frozen pixels without a new window, a canvas opens in the window of
// the canvas before it, and a screen that changes or goes away between captures gets a window of
// its new size or none.
#include "AppUnderTest.h"
#include "ProcessWindows.h"
#include "TestEnv.h"
#include "TestMonitors.h"
#include "XTestInput.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32,
                   XK_f = 0x66, XK_Escape = 0xff1b;

using namespace AppUnderTest;

using ProcessWindows::TopWindow;

// The top-level windows of a process as the X server has them, mapped or not.
QList<TopWindow> windowsOf(qint64 pid)
{
    return ProcessWindows::of(pid);
}

// The windows of the given size among them.
QSet<xcb_window_t> ofSize(const QList<TopWindow> &all, const QSize &size)
{
    QSet<xcb_window_t> out;
    for (const TopWindow &w : all)
        if (w.geometry.size() == size)
            out << w.id;
    return out;
}
} // namespace

class TestOverlayPoolX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;
    XTestInput input;
    QList<TestMonitors::Monitor> monitors; // the server's, as the test found them

    void startApp()
    {
        const qsizetype starts = readFile(logDir() + "/app.log").count("launch: started");
        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        QVERIFY(app->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").count("launch: started") > starts, 10000);
    }

    int captureLines() { return int(readFile(logDir() + "/capture.log").count('\n')); }

    // One capture to the clipboard of the whole display under the pointer; the picture read back
    // by another client.
    QImage captureWholeDisplay()
    {
        const int before = captureLines();
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        if (!QTest::qWaitFor([&] { return captureLines() > before; }, 10000))
            return {};
        QTest::qWait(150);
        input.keyDown(XK_f);
        input.keyUp(XK_f);
        const QString png = QDir::temp().filePath(QStringLiteral("quillet-pool-%1.png").arg(QCoreApplication::applicationPid()));
        QProcess reader;
        reader.start(captureHelper(QStringLiteral("helper_clipboard")), {png});
        if (!reader.waitForFinished(10000) || reader.exitCode() != 0)
            return {};
        QImage picture = QImage(png).convertToFormat(QImage::Format_RGB32);
        QFile::remove(png);
        return picture;
    }

private slots:
    void initTestCase() { monitors = TestMonitors::list(); }

    void cleanup()
    {
        // A clean quit: runs killed one after another would count as launches that died early.
        if (app && app->state() != QProcess::NotRunning) {
            app->terminate();
            if (!app->waitForFinished(5000)) {
                app->kill();
                app->waitForFinished();
            }
        }
        TestMonitors::restore(monitors);
    }

    void tenCapturesKeepTheirWindows()
    {
        QVERIFY(input.isValid());
        QWidget pattern(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        pattern.setStyleSheet(QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:1, "
                                             "stop:0 #ff2000, stop:0.5 #20a0ff, stop:1 #30ff40)"));
        pattern.setGeometry(200, 150, 900, 600);
        pattern.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pattern));
        input.moveTo(QPoint(640, 450));
        QTest::qWait(300);
        QScreen *screen = QGuiApplication::screenAt(QPoint(640, 450));
        QVERIFY(screen);
        const QImage expected = screen->grabWindow(0, screen->geometry().x(), screen->geometry().y(),
                                                   screen->geometry().width(), screen->geometry().height())
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);

        startApp();
        QSet<xcb_window_t> firstWindows;
        for (int round = 1; round <= 10; ++round) {
            const QImage picture = captureWholeDisplay();
            QVERIFY2(!picture.isNull(), qPrintable(QStringLiteral("capture %1").arg(round)));
            QCOMPARE(picture.size(), expected.size());
            QVERIFY2(picture == expected, qPrintable(QStringLiteral("capture %1 differs").arg(round)));
            QTest::qWait(200);
            const QSet<xcb_window_t> now = ofSize(windowsOf(app->processId()), expected.size());
            QVERIFY(!now.isEmpty());
            if (round == 1)
                firstWindows = now;
            else
                QCOMPARE(now, firstWindows);
        }
    }

    // A closed canvas's window is kept: the next canvas opens in it, and neither that capture nor
    // a third makes a window.
    void laterCanvasesOpenInTheFirstOnesWindow()
    {
        QVERIFY(input.isValid());
        input.moveTo(QPoint(640, 450));
        startApp();
        const auto ids = [&] {
            QSet<xcb_window_t> out;
            for (const TopWindow &w : windowsOf(app->processId()))
                out << w.id;
            return out;
        };
        // What the launch itself shows is up by then.
        QTest::qWait(1500);
        const QSet<xcb_window_t> before = ProcessWindows::managedShown(app->processId());
        xcb_window_t first = 0;
        QSet<xcb_window_t> afterFirst;
        for (int round = 1; round <= 3; ++round) {
            const qsizetype opened = readFile(logDir() + "/app.log").count("canvas opened");
            const int captures = captureLines();
            input.chord({XK_Control_L, XK_Shift_L}, XK_2);
            QTRY_VERIFY_WITH_TIMEOUT(captureLines() > captures, 10000);
            QTest::qWait(150);
            input.drag(QPoint(300, 200), QPoint(500, 350));
            QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").count("canvas opened") > opened, 10000);
            const auto canvas = [&] { return ProcessWindows::managedShown(app->processId()) - before; };
            QTRY_VERIFY_WITH_TIMEOUT(!canvas().isEmpty(), 10000);
            QVERIFY2(canvas().size() == 1, qPrintable(QStringLiteral("round %1: %2 new windows shown").arg(round).arg(canvas().size())));
            if (round == 1)
                first = *canvas().cbegin();
            else
                QCOMPARE(*canvas().cbegin(), first);

            // Escape ends the comment being edited first, then closes the canvas.
            const qsizetype closed = readFile(logDir() + "/app.log").count("canvas closed");
            const auto isClosed = [&] { return readFile(logDir() + "/app.log").count("canvas closed") > closed; };
            for (int i = 0; i < 3 && !isClosed(); ++i) {
                input.chord({}, XK_Escape);
                (void)QTest::qWaitFor(isClosed, 1500);
            }
            QVERIFY(isClosed());
            QTRY_VERIFY_WITH_TIMEOUT(canvas().isEmpty(), 10000);
            // The overlay that became the first canvas is replaced in the background.
            QTest::qWait(600);
            if (round == 1)
                afterFirst = ids();
            else
                QCOMPARE(ids(), afterFirst);
        }
    }

    // With a canvas open, a capture into it still comes up on kept windows, one per screen: the
    // screen whose window became the canvas gets a new one in the background, the other screens'
    // windows go back to the pool, and the capture makes none.
    void captureWhileACanvasIsOpen()
    {
        if (const QString why = TestMonitors::ensurePair(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(input.isValid());
        input.moveTo(QPoint(640, 450));
        startApp();
        const int captures = captureLines();
        input.chord({XK_Control_L, XK_Shift_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(captureLines() > captures, 10000);
        QTest::qWait(150);
        input.drag(QPoint(300, 200), QPoint(500, 350));
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("canvas opened"), 10000);
        QScreen *screen = QGuiApplication::screenAt(QPoint(640, 450));
        QVERIFY(screen);
        QTRY_VERIFY_WITH_TIMEOUT(!ofSize(windowsOf(app->processId()), screen->geometry().size()).isEmpty(), 10000);
        QTest::qWait(500);
        const auto overlayWindows = [&] {
            QSet<xcb_window_t> out;
            for (const TopWindow &w : windowsOf(app->processId()))
                if (w.geometry.size() == QSize(1920, 1080) || w.geometry.size() == QSize(1280, 1024))
                    out << w.id;
            return out;
        };
        const QSet<xcb_window_t> before = overlayWindows();
        QCOMPARE(before.size(), 2);

        // Another area into the open canvas: overlays come up on both screens again.
        const auto overlaysUp = [&] {
            int up = 0;
            for (const TopWindow &w : windowsOf(app->processId()))
                up += w.mapped && (w.geometry == QRect(0, 0, 1920, 1080) || w.geometry == QRect(1920, 0, 1280, 1024));
            return up;
        };
        QCOMPARE(overlaysUp(), 0);
        input.moveTo(QPoint(640, 450));
        input.chord({XK_Control_L, XK_Shift_L}, XK_2);
        QTRY_COMPARE_WITH_TIMEOUT(overlaysUp(), 2, 10000);
        QCOMPARE(overlayWindows(), before);
        const qsizetype closed = readFile(logDir() + "/app.log").count("canvas closed");
        input.chord({}, XK_Escape);
        QTRY_COMPARE(overlaysUp(), 0);
        QCOMPARE(readFile(logDir() + "/app.log").count("canvas closed"), closed);
    }

    void screensChangedBetweenCaptures()
    {
        if (const QString why = TestMonitors::ensurePair(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(input.isValid());
        input.moveTo(QPoint(640, 450));
        startApp();
        QVERIFY(!captureWholeDisplay().isNull());
        QTRY_VERIFY(!ofSize(windowsOf(app->processId()), QSize(1280, 1024)).isEmpty());

        // The second display goes away: its window goes with it.
        QCOMPARE(QProcess::execute(QStringLiteral("xrandr"), {"--delmonitor", "QUILLET-B"}), 0);
        QTest::qWait(500);
        QVERIFY(!captureWholeDisplay().isNull());
        QTRY_VERIFY(ofSize(windowsOf(app->processId()), QSize(1280, 1024)).isEmpty());

        // It comes back at another size: the next capture covers it at that size.
        QCOMPARE(QProcess::execute(QStringLiteral("xrandr"),
                                   {"--setmonitor", "QUILLET-B", "1200/317x1000/264+1920+0", "none"}),
                 0);
        QTest::qWait(500);
        input.moveTo(QPoint(2400, 500));
        QTest::qWait(100);
        const QImage second = captureWholeDisplay();
        QCOMPARE(second.size(), QSize(1200, 1000));
        QVERIFY(ofSize(windowsOf(app->processId()), QSize(1280, 1024)).isEmpty());
        input.moveTo(QPoint(640, 450));
    }
};

QUILLET_TEST_MAIN(TestOverlayPoolX11)
#include "tst_overlaypool_x11.moc"
