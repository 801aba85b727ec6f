// From the release of the selection drag to the shot shown in the canvas, timed from outside the
// application: a second X client gives the input by XTest and polls the screen. Each of the 10
// rounds starts quillet afresh over a backdrop of the bench's own (a green block on blue), presses
// "Capture area" (Ctrl+Shift+2) a second after the start, drags inside the green block and times
// the release until a managed window shows the green shot on the light canvas; the canvas is
// closed, and a second later the same is timed again. Prints min/median/max of: shortcut to the
// overlay for the first capture after a start and for the capture after a canvas closed, release
// to the shot in the canvas, and the figures the application logged, with the load beside them.
// Usage: bench_shot_to_canvas [path to quillet]   (run under scripts/bench)
#include "BenchApp.h"
#include "ShotBackdrop.h"
#include "XTestInput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

namespace {
constexpr uint32_t XK_Shift_L = 0xffe1, XK_Control_L = 0xffe3, XK_2 = 0x32;
constexpr int rounds = 10;

// The time from the press of "2" (Ctrl and Shift held) to the dimmed backdrop, or -1.
double shortcutToOverlay(XTestInput &input, ShotBackdrop &backdrop)
{
    // Windows closed over the backdrop left its own blue where the block was.
    backdrop.repaint();
    input.setPace(30);
    input.keyDown(XK_Control_L);
    input.keyDown(XK_Shift_L);
    input.setPace(0);
    QElapsedTimer t;
    t.start();
    input.keyDown(XK_2);
    const double up = ShotBackdrop::waitFor([&] { return backdrop.dimmed(); }, 8000);
    input.setPace(30);
    input.keyUp(XK_2);
    input.keyUp(XK_Shift_L);
    input.keyUp(XK_Control_L);
    return up;
}

// Drags across the middle of the green block and times the release until the canvas shows the
// shot, or -1.
double releaseToCanvas(XTestInput &input, ShotBackdrop &backdrop)
{
    const QRect b = backdrop.block();
    const QPoint from(b.x() + b.width() / 4, b.y() + b.height() / 4), to(b.x() + b.width() * 3 / 4, b.y() + b.height() * 3 / 4);
    input.setPace(20);
    input.moveTo(from);
    input.buttonDown();
    for (int i = 1; i <= 10; ++i)
        input.moveTo(from + (to - from) * i / 10);
    QThread::msleep(150);
    input.setPace(0);
    QElapsedTimer t;
    t.start();
    input.buttonUp();
    const double shown = ShotBackdrop::waitFor([&] { return backdrop.canvasShowsShot(); }, 8000);
    return shown < 0 ? -1 : double(t.nsecsElapsed()) / 1e6;
}

void add(QList<double> &to, double value)
{
    if (value >= 0)
        to.append(value);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString quillet = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/quillet");
    ShotBackdrop backdrop;
    XTestInput input;
    if (!backdrop.isValid() || !input.isValid()) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const QSize screen = backdrop.screenSize();
    QList<double> first, afterClose, release, loggedFirst, loggedAfter;
    QStringList loads;
    for (int round = 0; round < rounds; ++round) {
        BenchApp quilletApp(quillet);
        if (!quilletApp.start()) {
            std::fprintf(stderr, "round %d: quillet did not start\n", round + 1);
            continue;
        }
        loads << BenchFigures::load();
        // A user's first shortcut a second after the start.
        QThread::msleep(1000);
        add(first, shortcutToOverlay(input, backdrop));
        QThread::msleep(200);
        add(release, releaseToCanvas(input, backdrop));
        if (!backdrop.escapeCanvas(input))
            std::fprintf(stderr, "round %d: the canvas did not close\n", round + 1);
        QThread::msleep(1000);
        add(afterClose, shortcutToOverlay(input, backdrop));
        QThread::msleep(200);
        add(release, releaseToCanvas(input, backdrop));
        if (!backdrop.escapeCanvas(input))
            std::fprintf(stderr, "round %d: the second canvas did not close\n", round + 1);
        const QList<QList<double>> logged =
            quilletApp.capturedFigures(QStringLiteral("frozen in (\\d+) ms, overlay up in (\\d+) ms"));
        if (logged[1].size() >= 2) {
            loggedFirst << logged[1][0];
            loggedAfter << logged[1][1];
        }
        quilletApp.stop();
    }
    std::printf("screen %dx%d, %d rounds (load at each start: %s; now %s)\n", screen.width(), screen.height(), rounds,
                qPrintable(loads.join(QStringLiteral(" | "))), qPrintable(BenchFigures::load()));
    std::printf("  release -> shot in the canvas:            %s\n", qPrintable(BenchFigures::spread(release)));
    std::printf("  shortcut -> overlay, first after a start: %s\n", qPrintable(BenchFigures::spread(first)));
    std::printf("  shortcut -> overlay, after a canvas:      %s\n", qPrintable(BenchFigures::spread(afterClose)));
    std::printf("  logged overlay up: first %s; after a canvas %s\n", qPrintable(BenchFigures::spread(loggedFirst)),
                qPrintable(BenchFigures::spread(loggedAfter)));
    return release.isEmpty() ? 1 : 0;
}
