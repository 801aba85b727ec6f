// Shortcut press to overlay on screen, measured from outside the application: starts the real
// quillet with temporary folders on the current X display, presses "Capture area to clipboard"
// with XTest 20 times, and times each press until an overlay window covering the screen is mapped
// and until a probe pixel over a white window of the bench's own shows the dim (a second X client
// watches the root window and reads the pixel). Escape ends each capture. Then 20 more captures
// end by F (the whole display to the clipboard): timed from F until the overlay is unmapped and
// until another client's request for the clipboard's image/png is answered. Prints the medians
// and the freeze and overlay figures the application logged itself.
// Usage: bench_capture_latency [path to quillet]   (run under scripts/bench)
#include "XTestInput.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32,
                   XK_Escape = 0xff1b, XK_f = 0x66;
constexpr int rounds = 20;

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The connection's next event, waiting until the timer reaches timeoutMs at most; none then.
xcb_generic_event_t *nextEvent(xcb_connection_t *c, const QElapsedTimer &t, int timeoutMs)
{
    while (t.elapsed() < timeoutMs) {
        if (xcb_generic_event_t *e = xcb_poll_for_event(c))
            return e;
        QThread::usleep(200);
    }
    return nullptr;
}

// Waits for a MapNotify (map = true) or UnmapNotify/DestroyNotify of a window of the screen's
// size; false after timeoutMs.
bool waitForOverlay(xcb_connection_t *c, const xcb_screen_t *screen, bool map, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (xcb_generic_event_t *e = nextEvent(c, t, timeoutMs)) {
        const uint8_t type = e->response_type & 0x7f;
        xcb_window_t window = 0;
        if (map && type == XCB_MAP_NOTIFY)
            window = reinterpret_cast<xcb_map_notify_event_t *>(e)->window;
        else if (!map && type == XCB_UNMAP_NOTIFY)
            window = reinterpret_cast<xcb_unmap_notify_event_t *>(e)->window;
        std::free(e);
        if (!window)
            continue;
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        const bool full = g && g->width >= screen->width_in_pixels && g->height >= screen->height_in_pixels;
        std::free(g);
        if (full)
            return true;
    }
    return false;
}
xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

// The colour of one root pixel.
uint32_t pixelAt(xcb_connection_t *c, xcb_window_t root, int x, int y)
{
    xcb_get_image_reply_t *img = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x), int16_t(y), 1, 1, ~0u), nullptr);
    uint32_t p = 0;
    if (img && xcb_get_image_data_length(img) >= 4)
        std::memcpy(&p, xcb_get_image_data(img), 4);
    std::free(img);
    return p & 0xffffff;
}

// Polls the probe pixel until it is no longer white; false after timeoutMs.
bool waitForDim(xcb_connection_t *c, xcb_window_t root, QPoint probe, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (pixelAt(c, root, probe.x(), probe.y()) != 0xffffff)
            return true;
        QThread::usleep(300);
    }
    return false;
}

// Asks for the clipboard as image/png into a property of window and waits for the answer;
// true when the owner answered with data (whole or in increments).
bool waitForClipboardPng(xcb_connection_t *c, xcb_window_t window, int timeoutMs)
{
    const xcb_atom_t clipboard = atom(c, "CLIPBOARD"), png = atom(c, "image/png"), into = atom(c, "QUILLET_BENCH");
    xcb_convert_selection(c, window, clipboard, png, into, XCB_CURRENT_TIME);
    xcb_flush(c);
    QElapsedTimer t;
    t.start();
    while (xcb_generic_event_t *e = nextEvent(c, t, timeoutMs)) {
        const bool notify = (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
        const bool answered = notify && reinterpret_cast<xcb_selection_notify_event_t *>(e)->property != XCB_NONE;
        std::free(e);
        if (notify) {
            xcb_delete_property(c, window, into);
            xcb_flush(c);
            return answered;
        }
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString quillet = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/quillet");
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = home.path() + QLatin1Char('/') + QLatin1String(var);
        QDir().mkpath(dir);
        env.insert(QLatin1String(var), dir);
    }
    QFile::setPermissions(home.path() + QStringLiteral("/XDG_RUNTIME_DIR"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString logDir = home.path() + QStringLiteral("/XDG_STATE_HOME/Quillet");
    // A user who has been welcomed already: no welcome window is on screen to hide and repaint
    // around during the freeze.
    QDir().mkpath(home.path() + QStringLiteral("/XDG_CONFIG_HOME/Quillet"));
    QFile prefs(home.path() + QStringLiteral("/XDG_CONFIG_HOME/Quillet/preferences.json"));
    if (prefs.open(QIODevice::WriteOnly))
        prefs.write(R"({"onboarding.done": true})");
    prefs.close();

    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(quillet, {});
    if (!process.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(quillet));
        return 1;
    }
    QElapsedTimer started;
    started.start();
    while (started.elapsed() < 10000) {
        QFile log(logDir + QStringLiteral("/app.log"));
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains("launch: started"))
            break;
        QThread::msleep(50);
    }
    QThread::msleep(1000);

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    // A white window under the probe pixel, kept above the others, so the dim shows there.
    const xcb_window_t white = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, white, screen->root, 20, 20, 200, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, white);
    xcb_flush(c);
    const QPoint probe(120, 120);
    QThread::msleep(200);
    XTestInput input;
    input.moveTo(QPoint(screen->width_in_pixels / 2, screen->height_in_pixels / 2));

    QList<double> latencies, dims;
    for (int i = 0; i < rounds; ++i) {
        input.setPace(30);
        for (uint32_t m : {XK_Control_L, XK_Shift_L, XK_Super_L})
            input.keyDown(m);
        // Time from the key press of "2" on.
        input.setPace(0);
        QElapsedTimer t;
        t.start();
        input.keyDown(XK_2);
        if (waitForOverlay(c, screen, true, 5000))
            latencies.append(double(t.nsecsElapsed()) / 1e6);
        if (waitForDim(c, screen->root, probe, 5000))
            dims.append(double(t.nsecsElapsed()) / 1e6);
        input.setPace(30);
        input.keyUp(XK_2);
        for (uint32_t m : {XK_Super_L, XK_Shift_L, XK_Control_L})
            input.keyUp(m);
        QThread::msleep(150);
        input.chord({}, XK_Escape);
        waitForOverlay(c, screen, false, 3000);
        QThread::msleep(150);
    }

    // Captures that end by F: the whole display goes to the clipboard.
    QList<double> gone, readable;
    for (int i = 0; i < rounds; ++i) {
        input.setPace(30);
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        if (!waitForOverlay(c, screen, true, 5000) || !waitForDim(c, screen->root, probe, 5000))
            continue;
        QThread::msleep(150);
        input.setPace(0);
        QElapsedTimer t;
        t.start();
        input.keyDown(XK_f);
        if (waitForOverlay(c, screen, false, 5000))
            gone.append(double(t.nsecsElapsed()) / 1e6);
        if (waitForClipboardPng(c, white, 5000))
            readable.append(double(t.nsecsElapsed()) / 1e6);
        input.keyUp(XK_f);
        QThread::msleep(300);
    }

    process.terminate();
    process.waitForFinished(5000);

    QFile captureLog(logDir + QStringLiteral("/capture.log"));
    captureLog.open(QIODevice::ReadOnly);
    QList<double> frozen, overlay;
    static const QRegularExpression form(QStringLiteral("frozen in (\\d+) ms, overlay up in (\\d+) ms"));
    for (const QByteArray &line : captureLog.readAll().split('\n')) {
        const auto m = form.match(QString::fromUtf8(line));
        if (m.hasMatch()) {
            frozen.append(m.captured(1).toDouble());
            overlay.append(m.captured(2).toDouble());
        }
    }
    std::printf("screen %dx%d: %lld of %d presses brought the overlay up; press to overlay mapped, "
                "median %.1f ms\n",
                screen->width_in_pixels, screen->height_in_pixels, static_cast<long long>(latencies.size()), rounds,
                median(latencies));
    std::printf("  press to the dim on screen (probe pixel), median %.1f ms (%lld of %d)\n", median(dims),
                static_cast<long long>(dims.size()), rounds);
    std::printf("  F (whole display to the clipboard) to the overlay gone, median %.1f ms; to the PNG readable "
                "by another client, median %.1f ms (%lld of %d)\n",
                median(gone), median(readable), static_cast<long long>(readable.size()), rounds);
    std::printf("  the application logged: frozen in median %.0f ms, overlay up in median %.0f ms (%lld captures)\n",
                median(frozen), median(overlay), static_cast<long long>(frozen.size()));
    xcb_disconnect(c);
    return latencies.isEmpty() ? 1 : 0;
}
