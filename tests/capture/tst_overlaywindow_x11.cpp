#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"
#include "platform/FrontApplication.h"
#include "platform/Preferences.h"
#include "platform/TaskbarPolicy.h"
#include "platform/WindowList.h"
#include "platform/linux/X11Props.h"
#include "platform/linux/X11WindowState.h"

#include "SessionFixture.h"
#include "TestEnv.h"

#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QWindow>

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

using namespace SessionFixture;

namespace {
// Writes down the keys it gets.
class KeyRecorder : public QWidget
{
public:
    QStringList keys;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Shift)
            return;
        keys << QStringLiteral("%1 %2 %3").arg(e->key(), 0, 16).arg(int(e->modifiers()), 0, 16).arg(e->text() == "\r");
    }
};

// A key pressed and released on the X server, as if typed.
void typeKey(quint32 keysym)
{
    xcb_connection_t *c = X11Props::connection();
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (codes && codes[0]) {
        xcb_test_fake_input(c, XCB_KEY_PRESS, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_KEY_RELEASE, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c);
    }
    free(codes);
    xcb_key_symbols_free(symbols);
}

// How far two pixels are apart in their worst channel.
int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}
} // namespace

class TestOverlayWindowX11 : public QObject
{
    Q_OBJECT

private slots:
    void init() { CaptureSession::resetForTesting(); }

    // Each overlay covers its screen exactly, above an ordinary window that stays on top, and
    // shows its frozen picture pixel for pixel under the half-black dim.
    void overlaysCoverTheirScreensPixelForPixel()
    {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("this display has one monitor; scripts/test starts a server with two");
        QWidget other;
        other.setWindowFlag(Qt::WindowStaysOnTopHint);
        other.setStyleSheet("background: rgb(255, 0, 0)");
        other.setGeometry(200, 200, 300, 200);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        QCursor::setPos(QGuiApplication::screens().last()->geometry().bottomRight() - QPoint(5, 5));
        const QList<FrozenFrame> frames = screenFrames();
        auto *s = new CaptureSession(frames, std::nullopt, OverlayViewHost::Mode::Canvas);
        CaptureSession::setCurrentSession(s);
        s->show();
        for (OverlayWindow *w : s->windows())
            QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::qWait(400); // the dim fades in over 0.12 s

        for (int i = 0; i < frames.size(); ++i) {
            QScreen *screen = QGuiApplication::screens()[i];
            QCOMPARE(s->windows()[i]->geometry(), screen->geometry());
            QCOMPARE(s->windows()[i]->windowHandle()->screen(), screen);
            const QImage shown = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage &frozen = frames[i].image;
            QCOMPARE(shown.size(), frozen.size());
            // The pointer's coordinate label is left out of the comparison.
            const QRect pointerArea(QCursor::pos() - screen->geometry().topLeft() - QPoint(200, 100), QSize(400, 200));
            int worst = 0;
            QPoint where;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = 0; x < shown.width(); ++x) {
                    if (pointerArea.contains(x, y))
                        continue;
                    const QRgb f = frozen.pixel(x, y);
                    const QRgb dimmed = qRgb(qRed(f) / 2, qGreen(f) / 2, qBlue(f) / 2);
                    const int d = distance(shown.pixel(x, y), dimmed);
                    if (d > worst) {
                        worst = d;
                        where = QPoint(x, y);
                    }
                }
            }
            QVERIFY2(worst <= 1, qPrintable(QStringLiteral("screen %1 differs by %2 at %3,%4")
                                                .arg(i).arg(worst).arg(where.x()).arg(where.y())));
        }
        // Only the overlay under the pointer holds the keyboard.
        QVERIFY(s->windows().last()->isKey());
        QVERIFY(!s->windows().first()->isKey());
        s->end(false);
    }

    void keysReachTheKeyOverlay()
    {
        OverlayWindow window(QGuiApplication::screens().first()->geometry());
        auto *recorder = new KeyRecorder;
        recorder->setFocusPolicy(Qt::StrongFocus);
        window.setContentView(recorder);
        window.makeKeyAndOrderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(100);
        typeKey(0xff1b); // Escape
        typeKey(0xff8d); // keypad Enter
        QTRY_COMPARE(recorder->keys.size(), 2);
        QCOMPARE(recorder->keys[0], QStringLiteral("%1 0 0").arg(Qt::Key_Escape, 0, 16));
        QCOMPARE(recorder->keys[1], QStringLiteral("%1 0 1").arg(Qt::Key_Return, 0, 16));
        window.orderOut();
    }

    void keypadEnterActsAsReturn_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("alone") << int(Qt::NoModifier);
        QTest::newRow("with Shift") << int(Qt::ShiftModifier);
    }
    void keypadEnterActsAsReturn()
    {
        QFETCH(int, modifiers);
        OverlayWindow window(QRect(100, 100, 300, 200));
        auto *recorder = new KeyRecorder;
        recorder->setFocusPolicy(Qt::StrongFocus);
        window.setContentView(recorder);
        window.makeKeyAndOrderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        recorder->setFocus();
        QTest::keyClick(window.windowHandle(), Qt::Key_Enter, Qt::KeyboardModifiers(modifiers) | Qt::KeypadModifier);
        QTest::keyClick(window.windowHandle(), Qt::Key_A, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(recorder->keys, (QStringList{QStringLiteral("%1 %2 1").arg(Qt::Key_Return, 0, 16).arg(modifiers, 0, 16),
                                              QStringLiteral("%1 %2 0").arg(Qt::Key_A, 0, 16).arg(modifiers, 0, 16)}));
    }

    void taskbarPolicyReachesTheWindowManager()
    {
        TaskbarPolicy::setPolicy(ActivationPolicy::accessory);
        QWidget window;
        window.setWindowTitle("Settings");
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(X11WindowState::skipsTaskbar(window.windowHandle()));
        TaskbarPolicy::setPolicy(ActivationPolicy::regular);
        QTRY_VERIFY(!X11WindowState::skipsTaskbar(window.windowHandle()));
        TaskbarPolicy::setPolicy(ActivationPolicy::accessory);
        QTRY_VERIFY(X11WindowState::skipsTaskbar(window.windowHandle()));
        TaskbarPolicy::setPolicy(ActivationPolicy::regular);
    }

    void windowListAndFrontApplication()
    {
        QWidget plain;
        plain.setWindowTitle("Plain");
        plain.setGeometry(300, 300, 320, 240);
        plain.show();
        QWidget above;
        above.setWindowFlag(Qt::WindowStaysOnTopHint);
        above.setGeometry(700, 300, 200, 100);
        above.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain) && QTest::qWaitForWindowExposed(&above));
        plain.activateWindow();
        QTRY_VERIFY(plain.isActiveWindow());

        const auto find = [](WId id) -> std::optional<WindowListEntry> {
            for (const WindowListEntry &e : WindowList::shared().onScreenWindows())
                if (e.number == id)
                    return e;
            return std::nullopt;
        };
        QTRY_VERIFY(find(plain.winId()).has_value());
        const WindowListEntry p = *find(plain.winId());
        QCOMPARE(p.pid, QCoreApplication::applicationPid());
        QCOMPARE(p.layer, 0);
        QVERIFY(p.bounds && p.bounds->contains(QRectF(plain.geometry())));
        QCOMPARE(QRectF(plain.frameGeometry()), *p.bounds);
        QTRY_COMPARE(find(above.winId()).value_or(WindowListEntry{}).layer, 3);

        FrontApplication &apps = FrontApplication::shared();
        QTRY_VERIFY(apps.frontmost().has_value());
        const RunningApp front = *apps.frontmost();
        QCOMPARE(front.window, quint32(plain.winId()));
        QCOMPARE(front.pid, QCoreApplication::applicationPid());
        QVERIFY(!front.name.isEmpty());

        apps.startWatching();
        QList<std::optional<RunningApp>> seen;
        QObject listening; // ends the connection with the test
        connect(&apps, &FrontApplication::activated, &listening, [&](std::optional<RunningApp> a) { seen << a; });
        // Another window of the same application coming to the front is no news.
        above.activateWindow();
        QTRY_VERIFY(above.isActiveWindow());
        QTest::qWait(100);
        QVERIFY(seen.isEmpty());

        const double idle = apps.secondsSinceLastInput();
        QVERIFY(idle >= 0 && idle < 3600 * 24);
    }
    // Another program's window comes to the front: it is reported with its process and name;
    // a click in our canvas window then makes us active again, and we can hand the front back.
    void anotherApplicationInFront()
    {
        ActivityLog::closeForTesting();
        QFile::remove(ActivityLog::logPath());
        OverlayWindow canvas(QRect(100, 100, 400, 300));
        canvas.setWindowFlags(Qt::Window); // titled, as the canvas window is
        canvas.setGeometry(100, 100, 400, 300);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        canvas.activateWindow();
        QTRY_VERIFY(canvas.isActiveWindow());

        FrontApplication &apps = FrontApplication::shared();
        apps.startWatching();
        QList<std::optional<RunningApp>> seen;
        QObject listening; // ends the connection with the test
        connect(&apps, &FrontApplication::activated, &listening, [&](std::optional<RunningApp> a) { seen << a; });
        QProcess other;
        other.start(TestEnv::helperPath("capture_helper_frontwindow"), {"900", "200", "300", "200"});
        QVERIFY(other.waitForReadyRead(10000));
        QCOMPARE(other.readAll().trimmed(), QByteArray("ready"));
        QTRY_VERIFY(!seen.isEmpty());
        QVERIFY(seen.last().has_value());
        const RunningApp front = *seen.last();
        QCOMPARE(front.pid, other.processId());
        QCOMPARE(front.name, QStringLiteral("Frontwindow"));
        QTRY_VERIFY(QGuiApplication::applicationState() != Qt::ApplicationActive);

        // A click on a selection overlay of the inactive application changes nothing; one in the
        // canvas window activates it.
        OverlayWindow overlay(QRect(600, 500, 200, 100));
        overlay.orderFrontRegardless();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        QTest::mousePress(overlay.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(overlay.windowHandle(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::qWait(200);
        QVERIFY(!log().contains("made active by a"));
        QVERIFY(QGuiApplication::applicationState() != Qt::ApplicationActive);
        QTest::mousePress(canvas.windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseRelease(canvas.windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(log().contains("made active by a click in the canvas"));
        QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
        // Let the window manager finish giving us the front before asking for another change.
        QTRY_COMPARE(apps.frontmost().value_or(RunningApp{}).pid, QCoreApplication::applicationPid());
        QTest::qWait(300);

        // The application that was in front before can be brought back.
        QVERIFY(apps.activate(front));
        QTRY_COMPARE_WITH_TIMEOUT(apps.frontmost().value_or(RunningApp{}).pid, other.processId(), 10000);
        other.kill();
        other.waitForFinished();
        QVERIFY(!apps.activate(front)); // gone
    }

    // With a settings window visible nothing happens; once it is gone and another application
    // is in front, the application steps back.
    // With a settings window visible nothing happens; once it is gone and the application is no
    // longer active, it steps back.
    void stepsBackOnlyWithoutVisibleWindows()
    {
        ActivityLog::closeForTesting();
        QFile::remove(ActivityLog::logPath());
        TaskbarPolicy::setPolicy(ActivationPolicy::regular);
        QWidget settings;
        settings.setWindowTitle("Settings");
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        CaptureSession::stepBackInAppSwitcher();
        QVERIFY(!log().contains("stepped back in the app switcher"));
        settings.hide();
        QTRY_VERIFY2(QGuiApplication::applicationState() != Qt::ApplicationActive, "still active");
        CaptureSession::stepBackInAppSwitcher();
        QVERIFY(log().contains("stepped back in the app switcher"));
        QCOMPARE(TaskbarPolicy::policy(), ActivationPolicy::regular);
    }
};

QUILLET_TEST_MAIN(TestOverlayWindowX11)
#include "tst_overlaywindow_x11.moc"
