#include "capture/ScreenFreezer.h"
#include "platform/linux/X11ScreenSource.h"

#include "TestEnv.h"

#include <QCoreApplication>
#include <QWidget>

#include <xcb/composite.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

// Window pictures come from the compositing manager's window pixmaps. The test plays a minimal
// compositing manager: it owns _NET_WM_CM_S0 and has the server redirect every top-level window.
class TestWindowPictureX11 : public QObject
{
    Q_OBJECT

    xcb_connection_t *conn = nullptr;

private slots:
    void initTestCase()
    {
        conn = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(conn));
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        const char *name = "_NET_WM_CM_S0";
        auto atom = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(strlen(name)), name), nullptr);
        QVERIFY(atom);
        const xcb_window_t owner = xcb_generate_id(conn);
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(conn, owner, atom->atom, XCB_CURRENT_TIME);
        free(atom);
        free(xcb_composite_query_version_reply(conn, xcb_composite_query_version(conn, 0, 4), nullptr));
        xcb_generic_error_t *err = xcb_request_check(
            conn, xcb_composite_redirect_subwindows_checked(conn, screen->root, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
        if (err) {
            free(err);
            QSKIP("the X server does not redirect windows");
        }
    }

    void cleanupTestCase()
    {
        if (conn)
            xcb_disconnect(conn);
    }

    void pictureOfAManagedWindow()
    {
        QWidget window;
        window.setWindowTitle("picture me");
        window.setStyleSheet("background: #3050c0");
        window.setGeometry(300, 200, 320, 240);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300);

        ScreenFreezer freezer(std::make_shared<X11ScreenSource>());
        auto content = freezer.source()->content();
        QVERIFY(QTest::qWaitFor([&] { return content.isFinished(); }, 5000));
        quint32 id = 0;
        for (const ScreenWindow &w : content.result().windows)
            if (w.pid == QCoreApplication::applicationPid())
                id = w.id;
        if (!id)
            QSKIP("no window manager lists the test window");

        auto f = freezer.captureWindow(id);
        QVERIFY(QTest::qWaitFor([&] { return f.isFinished(); }, 5000));
        const std::optional<WindowPicture> picture = f.result();
        QVERIFY(picture);
        QCOMPARE(picture->scale, 1.0);
        // Opaque all over: the window manager's frame and the window itself.
        QCOMPARE(picture->box, QRect(QPoint(0, 0), picture->image.size()));
        QVERIFY(picture->image.width() >= 320 && picture->image.height() >= 240);
        const QPoint middle(picture->image.width() / 2, picture->image.height() / 2);
        QCOMPARE(picture->image.pixel(middle) & 0xffffff, 0x3050c0u);
    }
};

QUILLET_TEST_MAIN(TestWindowPictureX11)
#include "tst_windowpicture_x11.moc"
