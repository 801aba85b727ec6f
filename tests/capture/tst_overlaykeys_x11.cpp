// Keys typed while an overlay holds the keyboard reach that overlay, even when another window of
// the application has the focus by then (the window manager can hand it back to a managed window,
// such as the welcome window, just after the overlay came up).
#include "capture/OverlayWindow.h"
#include "platform/linux/X11Props.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>

namespace {
constexpr uint32_t XK_f = 0x66, XK_Escape = 0xff1b;

// Writes down the keys it gets.
class KeyRecorder : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *e) override { keys << e->key(); }
};
} // namespace

class TestOverlayKeysX11 : public QObject
{
    Q_OBJECT

private slots:
    void keysGoToTheGrabbingOverlayWhereverTheFocusIs()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        KeyRecorder managed; // an ordinary window of the application, focused before the capture
        managed.setFocusPolicy(Qt::StrongFocus);
        managed.setGeometry(200, 200, 300, 200);
        managed.show();
        managed.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&managed));

        OverlayWindow overlay(QGuiApplication::primaryScreen()->geometry());
        auto *view = new KeyRecorder;
        view->setFocusPolicy(Qt::StrongFocus);
        overlay.setContentView(view);
        overlay.makeKeyAndOrderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        QVERIFY(overlay.holdsKeyboard());

        // The focus goes back to the managed window, as a window manager may give it; the
        // keyboard grab stays with the overlay.
        xcb_connection_t *c = X11Props::connection();
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, xcb_window_t(managed.winId()), XCB_CURRENT_TIME);
        xcb_flush(c);
        QTRY_COMPARE(QGuiApplication::focusWindow(), managed.windowHandle());

        input.keyDown(XK_f);
        input.keyUp(XK_f);
        QTRY_COMPARE(view->keys, QList<int>{Qt::Key_F});
        QCOMPARE(managed.keys, QList<int>());

        // Once the overlay lets the keyboard go, keys are the focused window's again.
        overlay.orderOut();
        QVERIFY(!overlay.holdsKeyboard());
        managed.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&managed));
        input.keyDown(XK_Escape);
        input.keyUp(XK_Escape);
        QTRY_COMPARE(managed.keys, QList<int>{Qt::Key_Escape});
        QCOMPARE(view->keys, QList<int>{Qt::Key_F});
    }
};

QUILLET_TEST_MAIN(TestOverlayKeysX11)
#include "tst_overlaykeys_x11.moc"
