#pragma once
// The real application driven from outside on the test's X server: started with onboarding done,
// an area of a pattern window captured into a canvas by Ctrl+Shift+2 and a drag, and what another
// X client sees of its windows.
#include "AppUnderTest.h"
#include "XTestInput.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace CanvasApp {
using namespace AppUnderTest;

constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_2 = 0x32, XK_Return = 0xff0d, XK_s = 0x73;

// The area every test captures, in screen coordinates.
inline const QRect chosenArea(300, 200, 200, 150);

inline int logCount(const char *file, const char *words)
{
    return int(readFile(logDir() + QLatin1Char('/') + QLatin1String(file)).count(words));
}

// The test's own connection to the X server: what another program on the desktop sees.
class Desktop
{
public:
    Desktop() : c(xcb_connect(nullptr, nullptr)) { root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }
    ~Desktop() { xcb_disconnect(c); }
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    xcb_atom_t atom(const char *name) const
    {
        auto *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }
    // A property's 32-bit values.
    QList<quint32> values(xcb_window_t w, const char *property, xcb_atom_t type) const
    {
        QList<quint32> out;
        auto *r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom(property), type, 0, 1024), nullptr);
        if (r && r->format == 32) {
            const auto *v = static_cast<const quint32 *>(xcb_get_property_value(r));
            out = QList<quint32>(v, v + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        return out;
    }
    QString title(xcb_window_t w) const
    {
        auto *r = xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 256), nullptr);
        const QString t = r ? QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(r)),
                                                xcb_get_property_value_length(r))
                            : QString();
        std::free(r);
        return t;
    }
    // The managed window titled t, or 0.
    xcb_window_t window(const QString &t) const
    {
        for (quint32 w : values(root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW))
            if (title(w) == t)
                return w;
        return 0;
    }
    // A window's inside in screen coordinates.
    QRect geometry(xcb_window_t w) const
    {
        auto *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        auto *t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
        const QRect r = g && t ? QRect(t->dst_x, t->dst_y, g->width, g->height) : QRect();
        std::free(g);
        std::free(t);
        return r;
    }
    xcb_window_t focus() const
    {
        auto *r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        const xcb_window_t w = r ? r->focus : 0;
        std::free(r);
        return w;
    }
    // True when some other client holds the keyboard (the capture overlay does while it is up).
    bool keyboardTaken() const
    {
        auto *r = xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
        const bool taken = !r || r->status != XCB_GRAB_STATUS_SUCCESS;
        std::free(r);
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
        return taken;
    }

    xcb_connection_t *c;
    xcb_window_t root = 0;
};

// What another X client reads from the clipboard as a type, or nothing within 10 s.
inline QByteArray clipboardBytes(const QString &type)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("clip"));
    QProcess reader;
    reader.start(captureHelper(QStringLiteral("helper_clipboard")), {out, type});
    if (!reader.waitForFinished(10000) || reader.exitCode() != 0)
        return {};
    return readFile(out);
}

// The screen's pixels of a rectangle.
inline QImage screenPixels(const QRect &r)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// The pattern window's pixel at a screen point: red and green count its x and y from its corner.
inline QRgb patternAt(const QRect &window, QPoint screen)
{
    return qRgb((screen.x() - window.x()) & 255, (screen.y() - window.y()) & 255, 90);
}

// The pattern's pixels of the chosen area, as the capture froze them.
inline QImage chosenPattern(const QRect &patternWindow)
{
    QImage expected(chosenArea.size(), QImage::Format_RGB32);
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            expected.setPixel(x, y, patternAt(patternWindow, chosenArea.topLeft() + QPoint(x, y)));
    return expected;
}

// The bounds of the pixels where two pictures of one size differ.
inline QRect differences(const QImage &a, const QImage &b)
{
    QRect out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xffffff) != (b.pixel(x, y) & 0xffffff))
                out |= QRect(x, y, 1, 1);
    return out;
}

// The running application and the pattern window it captures.
struct Session
{
    std::unique_ptr<QProcess> app;
    std::unique_ptr<QProcess> pattern;
    QRect patternArea;

    ~Session()
    {
        for (auto *p : {app.get(), pattern.get()}) {
            if (p && p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    // The pattern window, the preferences of a user who has been welcomed, and the application
    // with its launch run.
    bool start(const QString &extraPreferences = QString())
    {
        pattern = std::make_unique<QProcess>();
        pattern->start(binDir() + QStringLiteral("/canvas_helper_patternwindow"),
                       {QStringLiteral("200"), QStringLiteral("120"), QStringLiteral("520"), QStringLiteral("400")});
        if (!pattern->waitForStarted() || !pattern->waitForReadyRead(10000))
            return false;
        const auto window = xcb_window_t(pattern->readAllStandardOutput().trimmed().toULongLong());
        patternArea = Desktop().geometry(window);
        if (!patternArea.contains(chosenArea))
            return false;

        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillet");
        QDir().mkpath(config);
        QFile prefs(config + QStringLiteral("/preferences.json"));
        if (!prefs.open(QIODevice::WriteOnly))
            return false;
        prefs.write(QStringLiteral(R"({"onboarding.done": true%1})").arg(extraPreferences).toUtf8());
        prefs.close();

        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        return app->waitForStarted()
            && QTest::qWaitFor([] { return readFile(logDir() + "/app.log").contains("launch: started"); }, 10000);
    }

    // Ctrl+Shift+2 and a drag over the chosen area: the canvas window, up, holding the keyboard
    // and showing the shot at rest, or 0.
    xcb_window_t openCanvas(XTestInput &input, const Desktop &desktop) const
    {
        const int captures = logCount("capture.log", "\n");
        input.chord({XK_Control_L, XK_Shift_L}, XK_2);
        if (!QTest::qWaitFor([&] { return logCount("capture.log", "\n") > captures; }, 10000)
            || !QTest::qWaitFor([&] { return desktop.keyboardTaken(); }, 5000))
            return 0;
        input.drag(chosenArea.topLeft(), chosenArea.bottomRight() + QPoint(1, 1));
        xcb_window_t canvas = 0;
        QTest::qWaitFor([&] { return (canvas = desktop.window(QStringLiteral("Quillet™"))) != 0; }, 10000);
        if (canvas && !QTest::qWaitFor([&] { return desktop.focus() == canvas; }, 10000))
            return 0;
        return canvas && !settledShot(desktop, canvas).isEmpty() ? canvas : 0;
    }

    // Where the canvas shows the captured area one for one, in screen coordinates: found by its
    // pixels in the canvas window (earlier captures in the rail move it), or an empty rect.
    QRect shotOnScreen(const Desktop &desktop, xcb_window_t canvas) const
    {
        const QRect window = desktop.geometry(canvas);
        const QPoint probe(100, 75);
        const auto at = [&](QPoint p) { return patternAt(patternArea, chosenArea.topLeft() + p) & 0xffffff; };
        const QImage seen = screenPixels(window);
        for (int y = probe.y(); y < seen.height() - probe.y(); ++y) {
            for (int x = probe.x(); x < seen.width() - probe.x(); ++x) {
                const auto same = [&](QPoint p) { return (seen.pixel(x + p.x(), y + p.y()) & 0xffffff) == at(probe + p); };
                if (same(QPoint()) && same(QPoint(1, 0)) && same(QPoint(0, 1)) && same(QPoint(-40, -30))
                    && same(QPoint(60, 50)))
                    return QRect(window.topLeft() + QPoint(x, y) - probe, chosenArea.size());
            }
        }
        return {};
    }
    // The same, once the canvas has come to rest (the shot moves into place when the canvas
    // opens, and again when the rail beside it changes).
    QRect settledShot(const Desktop &desktop, xcb_window_t canvas) const
    {
        QRect before;
        QRect now;
        QTest::qWaitFor([&] {
            before = std::exchange(now, shotOnScreen(desktop, canvas));
            QTest::qWait(300);
            return !now.isEmpty() && now == before;
        }, 8000);
        return now == before ? now : QRect();
    }
};
} // namespace CanvasApp
