// The last stages on a real X server with a window manager: the self-check's overlay stays under
// another client's window, is kept from the window manager and never holds the input focus, and
// neither it nor the welcome guide grabs a key: another client still takes both default capture
// shortcuts.
#include "selfcheck/PanelAndWelcome.h"

#include "app/SelfCheckFlag.h"
#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"
#include "platform/Preferences.h"

#include "SelfCheckOutput.h"
#include "TestEnv.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
const QRect helperArea(200, 150, 300, 200);
const QRgb helperColour = qRgb(0xff, 0x00, 0xff);

struct Free
{
    void operator()(void *p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, Free>;

xcb_connection_t *connection()
{
    static xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    return c;
}

xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

// The root's children, bottom first.
QList<xcb_window_t> stacking()
{
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection(), xcb_query_tree(connection(), root()), nullptr));
    QList<xcb_window_t> out;
    if (!tree)
        return out;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        out.append(children[i]);
    return out;
}

// The top-level window of the root that holds window (itself or its frame).
xcb_window_t topLevel(xcb_window_t window)
{
    for (;;) {
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection(), xcb_query_tree(connection(), window), nullptr));
        if (!tree || tree->parent == root() || tree->parent == XCB_NONE)
            return window;
        window = tree->parent;
    }
}

// The mapped top-level window whose _NET_WM_PID is pid.
xcb_window_t windowOf(qint64 pid)
{
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 1, 11, "_NET_WM_PID"), nullptr);
    const xcb_atom_t pidAtom = atom ? atom->atom : XCB_NONE;
    std::free(atom);
    for (xcb_window_t w : stacking()) {
        Reply<xcb_get_property_reply_t> p(xcb_get_property_reply(
            connection(), xcb_get_property(connection(), 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (p && xcb_get_property_value_length(p.get()) == 4
            && *static_cast<const quint32 *>(xcb_get_property_value(p.get())) == quint32(pid))
            return w;
    }
    return XCB_NONE;
}

bool overrideRedirect(xcb_window_t window)
{
    Reply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(
        connection(), xcb_get_window_attributes(connection(), window), nullptr));
    return a && a->override_redirect;
}

xcb_window_t focus()
{
    Reply<xcb_get_input_focus_reply_t> f(
        xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
    return f ? f->focus : XCB_NONE;
}

// Whether another client can grab Ctrl+Shift(+Super)+2 now.
bool othersCanGrab(const QString &modifiers)
{
    QProcess grab;
    grab.start(TestEnv::helperPath("../app/app_helper_grabkey"), {"32", modifiers});
    if (!grab.waitForReadyRead(10000))
        return false;
    const bool ready = grab.readAll().trimmed() == "ready";
    grab.closeWriteChannel();
    grab.waitForFinished();
    return ready;
}
} // namespace

class TestPanelWelcomeX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(connection() && !xcb_connection_has_error(connection()));
        Preferences::shared().useMemoryScope();
        CanvasController::install();
        SelfCheckFlag::set(true);
    }

    void staysUnderAndTakesNothing()
    {
        QProcess helper;
        helper.start(TestEnv::helperPath("../capture/capture_helper_colorwindow"),
                     {QString::number(helperArea.x()), QString::number(helperArea.y()),
                      QString::number(helperArea.width()), QString::number(helperArea.height()), "#ff00ff"});
        QVERIFY(helper.waitForReadyRead(10000));
        QVERIFY(helper.readAll().startsWith("ready"));
        const xcb_window_t other = windowOf(helper.processId());
        QVERIFY(other != XCB_NONE);

        // The overlay of a session shown with no area chosen, over a green picture of the screen.
        QScreen *screen = QGuiApplication::primaryScreen();
        const ScreenInfo info{0, screen->name(), screen->geometry(), screen->devicePixelRatio()};
        QImage picture(screen->geometry().size() * screen->devicePixelRatio(), QImage::Format_RGB32);
        picture.fill(Qt::green);
        picture.setDevicePixelRatio(screen->devicePixelRatio());
        QPointer<CaptureSession> session =
            new CaptureSession({FrozenFrame{info, picture}}, std::nullopt, OverlayViewHost::Mode::Clipboard);
        session->show();
        OverlayWindow *overlay = session->windows().first();
        QTRY_VERIFY(overlay->windowHandle() && overlay->windowHandle()->isExposed());
        QTest::qWait(300);
        const xcb_window_t ours = topLevel(xcb_window_t(overlay->winId()));

        const QImage there = screen->grabWindow(0, helperArea.x() + 10, helperArea.y() + 10, 20, 20).toImage();
        QCOMPARE(there.pixel(10, 10) & 0xffffff, helperColour & 0xffffff);
        const QList<xcb_window_t> order = stacking();
        QVERIFY(order.contains(ours));
        QVERIFY2(order.indexOf(ours) < order.indexOf(other), "the overlay is not below the other window");
        QVERIFY(overrideRedirect(ours));
        QVERIFY(focus() != ours && focus() != xcb_window_t(overlay->winId()));

        SelfCheckOutput out;
        Autopilot::panelChecks(session);
        QCOMPARE(out.lines.size(), 3);
        for (const QString &line : out.lines)
            QVERIFY2(line.startsWith("ok   "), qPrintable(line));
        helper.kill();
        helper.waitForFinished();
    }

    // The two stages end to end; then another client still takes both default shortcuts.
    void grabsNothing()
    {
        QTemporaryDir folder;
        QImage picture(2880, 1800, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        SelfCheckOutput out;
        const QPointer<CaptureSession> session = Autopilot::overlayPanelChecks(QSize(1440, 900), picture);
        QTest::qWait(400);
        Autopilot::welcomeChecks(session, folder.path());
        QCOMPARE(out.lines.size(), 6);
        for (const QString &line : out.lines)
            QVERIFY2(line.startsWith("ok   "), qPrintable(out.lines.join('\n')));
        QVERIFY(othersCanGrab("5"));
        QVERIFY(othersCanGrab("69"));
    }
};

QUILLET_TEST_MAIN(TestPanelWelcomeX11)
#include "tst_panelwelcome_x11.moc"
