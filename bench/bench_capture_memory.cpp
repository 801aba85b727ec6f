// The application's memory across captures, read from outside: the proportional set size
// (/proc/PID/smaps_rollup) of a fresh quillet idle, after 10 captures into the canvas whose
// canvases were closed, with one more canvas open, and once that one closed too. The captures are
// driven by XTest (Ctrl+Shift+2, a drag, Escape) as in bench_shot_to_canvas. Prints the figures,
// what the kept overlays account for (one screen-sized picture per screen), the mappings that hold
// the most, and the load; once with talking on (the speech model then stays loaded) and once off.
// Usage: bench_capture_memory [path to quillet]   (run under scripts/bench)
#include "BenchApp.h"
#include "ShotBackdrop.h"
#include "XTestInput.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {
constexpr uint32_t XK_Shift_L = 0xffe1, XK_Control_L = 0xffe3, XK_2 = 0x32;
constexpr int captures = 10;

// One capture into the canvas, left open; false when the canvas did not show the shot.
bool openCanvas(XTestInput &input, ShotBackdrop &backdrop)
{
    backdrop.repaint();
    input.setPace(30);
    input.chord({XK_Control_L, XK_Shift_L}, XK_2);
    if (ShotBackdrop::waitFor([&] { return backdrop.dimmed(); }, 8000) < 0)
        return false;
    const QRect b = backdrop.block();
    input.setPace(20);
    input.drag(b.topLeft() + QPoint(b.width() / 4, b.height() / 4), b.center() + QPoint(b.width() / 4, b.height() / 4));
    return ShotBackdrop::waitFor([&] { return backdrop.canvasShowsShot(); }, 8000) >= 0;
}

// One run of a fresh quillet with those preferences; false when it could not be driven.
bool measure(const QString &quillet, const QByteArray &preferences, const char *what)
{
    ShotBackdrop backdrop;
    XTestInput input;
    BenchApp quilletApp(quillet, preferences);
    if (!backdrop.isValid() || !input.isValid() || !quilletApp.start()) {
        std::fprintf(stderr, "no X display, or quillet did not start\n");
        return false;
    }
    const QSize screen = backdrop.screenSize();
    QThread::msleep(3000);
    const double idle = quilletApp.pssMegabytes();
    const QStringList idleHeld = quilletApp.largestMappings(6);
    const QString idleLoad = BenchFigures::load();
    int shown = 0;
    for (int i = 0; i < captures; ++i) {
        shown += openCanvas(input, backdrop) ? 1 : 0;
        if (!backdrop.escapeCanvas(input))
            std::fprintf(stderr, "capture %d: the canvas did not close\n", i + 1);
        QThread::msleep(300);
    }
    QThread::msleep(3000);
    const double closed = quilletApp.pssMegabytes();
    const QStringList held = quilletApp.largestMappings(6);
    const QString closedLoad = BenchFigures::load();
    const bool open = openCanvas(input, backdrop);
    QThread::msleep(2000);
    const double withCanvas = quilletApp.pssMegabytes();
    const QString openLoad = BenchFigures::load();
    backdrop.escapeCanvas(input);
    QThread::msleep(3000);
    const double afterLast = quilletApp.pssMegabytes();
    const double overlay = double(screen.width()) * screen.height() * 4 / (1024.0 * 1024.0);
    std::printf("screen %dx%d, %s: PSS idle %.1f MB (load %s)\n", screen.width(), screen.height(), what, idle,
                qPrintable(idleLoad));
    std::printf("    largest then: %s\n", qPrintable(idleHeld.join(QStringLiteral(", "))));
    std::printf("  after %d captures whose canvases closed (%d showed the shot): %.1f MB (load %s)\n", captures, shown,
                closed, qPrintable(closedLoad));
    std::printf("    largest then: %s\n", qPrintable(held.join(QStringLiteral(", "))));
    std::printf("  with one canvas open%s: %.1f MB (load %s); once it closed: %.1f MB (load %s)\n",
                open ? "" : " (it did not show)", withCanvas, qPrintable(openLoad), afterLast,
                qPrintable(BenchFigures::load()));
    std::printf("  idle + one kept overlay (%.1f MB) + 20 MB = %.1f MB: after the captures %s\n", overlay,
                idle + overlay + 20, closed <= idle + overlay + 20 ? "within" : "ABOVE");
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString quillet = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/quillet");
    // The speech model loads with the first canvas while talking is on and stays for the
    // process's life: measured with talking on and off.
    const bool on = measure(quillet, R"({"onboarding.done": true, "talk.enabled": true})", "talking on");
    const bool off = measure(quillet, R"({"onboarding.done": true, "talk.enabled": false})", "talking off");
    return on && off ? 0 : 1;
}
