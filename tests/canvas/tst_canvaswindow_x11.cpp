// The real application under the test's X server: a chosen area opens as a managed canvas window
// showing the frozen pixels where the window layout puts them, and closes by Escape and by the
// window manager's close.
#include "XTestInput.h"
#include "TestEnv.h"

#include "capture/OverlayView.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_2 = 0x32, XK_Escape = 0xff1b;

QString binDir() { return QStringLiteral(QUILLET_TEST_BIN_DIR); }
QString appPath() { return binDir() + QStringLiteral("/../../src/quillet"); }
QString logDir() { return QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/Quillet"); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Free
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, Free>;

// A connection of the test's own, as another program on the desktop.
class X
{
public:
    X() : c(xcb_connect(nullptr, nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~X() { xcb_disconnect(c); }

    xcb_atom_t atom(const char *name) const
    {
        Reply<xcb_intern_atom_reply_t> r(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
        return r ? r->atom : 0;
    }
    QList<quint32> cardinals(xcb_window_t w, const char *property, xcb_atom_t type) const
    {
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom(property), type, 0, 1024), nullptr));
        QList<quint32> out;
        if (!r || r->format != 32)
            return out;
        const auto *v = static_cast<const quint32 *>(xcb_get_property_value(r.get()));
        for (int i = 0; i < xcb_get_property_value_length(r.get()) / 4; ++i)
            out << v[i];
        return out;
    }
    QString name(xcb_window_t w) const
    {
        Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 256), nullptr));
        if (!r)
            return {};
        return QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(r.get())),
                                 xcb_get_property_value_length(r.get()));
    }
    // The managed client titled title, or 0.
    xcb_window_t client(const QString &title) const
    {
        for (quint32 w : cardinals(root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
            if (name(w) == title)
                return w;
        }
        return 0;
    }
    // A window's client area in root coordinates.
    QRect geometry(xcb_window_t w) const
    {
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
        Reply<xcb_translate_coordinates_reply_t> t(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr));
        if (!g || !t)
            return {};
        return QRect(t->dst_x, t->dst_y, g->width, g->height);
    }
    QImage grab(const QRect &r) const
    {
        Reply<xcb_get_image_reply_t> img(xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()),
                             uint16_t(r.height()), ~0u),
            nullptr));
        if (!img)
            return {};
        QImage out(r.size(), QImage::Format_RGB32);
        const uint8_t *data = xcb_get_image_data(img.get());
        const int stride = xcb_get_image_data_length(img.get()) / r.height();
        for (int y = 0; y < r.height(); ++y)
            std::memcpy(out.scanLine(y), data + y * stride, size_t(r.width()) * 4);
        return out;
    }
    bool grabKeyboard() const
    {
        Reply<xcb_grab_keyboard_reply_t> r(xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr));
        const bool ok = r && r->status == XCB_GRAB_STATUS_SUCCESS;
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
        return ok;
    }
    xcb_window_t focus() const
    {
        Reply<xcb_get_input_focus_reply_t> r(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        return r ? r->focus : 0;
    }
    // What the window manager's close button does.
    void close(xcb_window_t w) const
    {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = w;
        ev.type = atom("WM_PROTOCOLS");
        ev.data.data32[0] = atom("WM_DELETE_WINDOW");
        ev.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
        xcb_flush(c);
    }

    xcb_connection_t *c;
    xcb_window_t root = 0;
};
} // namespace

class TestCanvasWindowX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> app;
    std::unique_ptr<QProcess> pattern;
    xcb_window_t patternWindow = 0;

    int closedCount() const { return int(readFile(logDir() + "/app.log").count("canvas closed")); }

    // Ctrl+Shift+2, then a drag over the pattern: the canvas window comes up.
    xcb_window_t openCanvas(XTestInput &input, const X &x)
    {
        const int captures = int(readFile(logDir() + "/capture.log").count('\n'));
        input.chord({XK_Control_L, XK_Shift_L}, XK_2);
        if (!QTest::qWaitFor([&] { return readFile(logDir() + "/capture.log").count('\n') > captures; }, 10000))
            return 0;
        // The overlay is up once it holds the keyboard: nobody else can grab it.
        if (!QTest::qWaitFor([&] { return !x.grabKeyboard(); }, 5000))
            return 0;
        input.drag(QPoint(300, 200), QPoint(500, 350));
        xcb_window_t canvas = 0;
        QTest::qWaitFor([&] { return (canvas = x.client(QStringLiteral("Quillet™"))) != 0; }, 10000);
        return canvas;
    }

private slots:
    void initTestCase()
    {
        pattern = std::make_unique<QProcess>();
        pattern->start(binDir() + QStringLiteral("/canvas_helper_patternwindow"),
                       {QStringLiteral("200"), QStringLiteral("120"), QStringLiteral("520"), QStringLiteral("400")});
        QVERIFY(pattern->waitForStarted() && pattern->waitForReadyRead(10000));
        patternWindow = xcb_window_t(pattern->readAllStandardOutput().trimmed().toULongLong());
        QVERIFY(patternWindow);

        // A user who has been welcomed already: no welcome window takes the front.
        const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Quillet");
        QDir().mkpath(config);
        QFile prefs(config + QStringLiteral("/preferences.json"));
        QVERIFY(prefs.open(QIODevice::WriteOnly));
        prefs.write(R"({"onboarding.done": true})");
        prefs.close();

        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        QVERIFY(app->waitForStarted());
        // The launch sequence has run (shortcuts registered) once it has come to its last step.
        QVERIFY(QTest::qWaitFor(
            [] { return readFile(logDir() + "/app.log").contains("launch: started"); }, 10000));
    }

    void cleanupTestCase()
    {
        for (auto *p : {app.get(), pattern.get()}) {
            if (p && p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    void areaOpensAsCanvasAndEscapeCloses()
    {
        XTestInput input;
        X x;
        QVERIFY(input.isValid());
        const QRect area = x.geometry(patternWindow);
        QVERIFY(area.contains(QRect(300, 200, 200, 150)));

        const xcb_window_t canvas = openCanvas(input, x);
        QVERIFY(canvas);
        // Where the layout puts it: the screen less 50 pt all round, the title bar inside.
        const QList<quint32> extents = x.cardinals(canvas, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
        QCOMPARE(extents.size(), 4);
        QScreen *under = QGuiApplication::screenAt(QPoint(300, 200));
        QVERIFY(under);
        const QRect screen = under->geometry();
        const QRectF chosen(300, 200, 200, 150);
        const auto frames = OverlayView::canvasLayout(chosen, screen, under->availableGeometry(), extents[2], 0, 132);
        QTRY_COMPARE(x.geometry(canvas), frames.content.toRect());

        // The frozen pixels, one for one, on the shot's frame.
        QCOMPARE(frames.shot.size(), chosen.size());
        const QRect shot = frames.shot.translated(frames.content.topLeft()).toRect();
        QImage seen;
        const auto matches = [&] {
            seen = x.grab(shot);
            for (int y = 0; y < shot.height(); ++y) {
                for (int xx = 0; xx < shot.width(); ++xx) {
                    // The crop grips lie over the shot's corners and edge middles.
                    const auto nearGrip = [&](double gx, double gy) { return std::hypot(xx - gx, y - gy) < 12; };
                    const double w = shot.width(), h = shot.height();
                    if (nearGrip(0, 0) || nearGrip(w / 2, 0) || nearGrip(w, 0) || nearGrip(w, h / 2) || nearGrip(w, h)
                        || nearGrip(w / 2, h) || nearGrip(0, h) || nearGrip(0, h / 2))
                        continue;
                    const int px = 300 + xx - area.x(), py = 200 + y - area.y();
                    if ((seen.pixel(xx, y) & 0xffffff) != (qRgb(px & 255, py & 255, 90) & 0xffffff))
                        return false;
                }
            }
            return true;
        };
        QVERIFY(QTest::qWaitFor(matches, 5000));

        // The overlay's keyboard grab is gone: another program may grab the keyboard.
        QVERIFY(x.grabKeyboard());

        // The window manager gives the canvas window the keyboard.
        QTRY_COMPARE_WITH_TIMEOUT(x.focus(), canvas, 10000);
        input.chord({}, XK_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(closedCount(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(x.client(QStringLiteral("Quillet™")) == 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(x.focus(), patternWindow, 10000);
    }

    void windowManagerCloseCloses()
    {
        XTestInput input;
        X x;
        const int before = closedCount();
        const xcb_window_t canvas = openCanvas(input, x);
        QVERIFY(canvas);
        x.close(canvas);
        QTRY_COMPARE_WITH_TIMEOUT(closedCount(), before + 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(x.client(QStringLiteral("Quillet™")) == 0, 10000);
    }

    // Drawing with the pointer: a drag across the shot leaves a red arrow, a Ctrl-drag a red box
    // frame, and dragging the box's corner grip moves that corner.
    void drawingWithThePointer()
    {
        XTestInput input;
        X x;
        const xcb_window_t canvas = openCanvas(input, x);
        QVERIFY(canvas);
        QScreen *under = QGuiApplication::screenAt(QPoint(300, 200));
        const QList<quint32> extents = x.cardinals(canvas, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
        QCOMPARE(extents.size(), 4);
        const auto frames = OverlayView::canvasLayout(QRectF(300, 200, 200, 150), under->geometry(),
                                                      under->availableGeometry(), extents[2], 0, 132);
        QTRY_COMPARE(x.geometry(canvas), frames.content.toRect());
        const QPoint shot = frames.shot.translated(frames.content.topLeft()).topLeft().toPoint();
        const auto isRed = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 75; };
        // Red somewhere within 3 pixels of a point of the shot.
        const auto redNear = [&](QPoint at) {
            const QImage seen = x.grab(QRect(shot + at - QPoint(3, 3), QSize(7, 7)));
            for (int y = 0; y < seen.height(); ++y)
                for (int xx = 0; xx < seen.width(); ++xx)
                    if (isRed(seen.pixel(xx, y)))
                        return true;
            return false;
        };
        const auto settle = [] { QTest::qWait(300); };

        input.drag(shot + QPoint(30, 30), shot + QPoint(110, 30));
        settle();
        QTRY_VERIFY(redNear(QPoint(50, 30)) && redNear(QPoint(70, 30)) && redNear(QPoint(90, 30)));
        QVERIFY(!redNear(QPoint(70, 50)));

        input.keyDown(XK_Control_L);
        input.drag(shot + QPoint(30, 70), shot + QPoint(100, 120));
        input.keyUp(XK_Control_L);
        settle();
        QTRY_VERIFY(redNear(QPoint(65, 70)) && redNear(QPoint(65, 120)) && redNear(QPoint(30, 95)));
        QVERIFY(!redNear(QPoint(65, 95)));

        // The new box is selected: its bottom-right grip drags that corner.
        input.drag(shot + QPoint(100, 120), shot + QPoint(120, 140));
        settle();
        QTRY_VERIFY(redNear(QPoint(65, 140)) && redNear(QPoint(120, 105)));
        QVERIFY(!redNear(QPoint(65, 120)) && !redNear(QPoint(100, 95)));
        QVERIFY(redNear(QPoint(65, 70)));
    }
};

QUILLET_TEST_MAIN(TestCanvasWindowX11)
#include "tst_canvaswindow_x11.moc"
