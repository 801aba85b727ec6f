// Shortcut press to overlay on screen, measured from outside the application: starts the real
// quillet with temporary folders on the current X display, presses "Capture area to clipboard"
// with XTest 20 times, and times each press until an overlay window covering the screen is mapped
// (a second X client watches the root window). Escape ends each capture. Prints the medians and
// the freeze and overlay figures the application logged itself.
// Usage: bench_capture_latency [path to quillet]   (run under scripts/bench)
#include "XTestInput.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32,
                   XK_Escape = 0xff1b;
constexpr int rounds = 20;

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Waits for a MapNotify (map = true) or UnmapNotify/DestroyNotify of a window of the screen's
// size; false after timeoutMs.
bool waitForOverlay(xcb_connection_t *c, const xcb_screen_t *screen, bool map, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        xcb_generic_event_t *e = xcb_poll_for_event(c);
        if (!e) {
            QThread::usleep(200);
            continue;
        }
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
    xcb_flush(c);
    XTestInput input;

    QList<double> latencies;
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
        input.setPace(30);
        input.keyUp(XK_2);
        for (uint32_t m : {XK_Super_L, XK_Shift_L, XK_Control_L})
            input.keyUp(m);
        QThread::msleep(150);
        input.chord({}, XK_Escape);
        waitForOverlay(c, screen, false, 3000);
        QThread::msleep(150);
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
    std::printf("  the application logged: frozen in median %.0f ms, overlay up in median %.0f ms (%lld captures)\n",
                median(frozen), median(overlay), static_cast<long long>(frozen.size()));
    xcb_disconnect(c);
    return latencies.isEmpty() ? 1 : 0;
}
