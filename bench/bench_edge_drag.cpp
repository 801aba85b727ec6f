// One step of an edge drag on the canvas window: the motion event through the window's edge
// resizer (the new frame from the start frame and the total movement, the geometry request, the
// resize cursor) and the events it leaves for the main thread (the window's new size laid out).
// Runs on the current X display with the window manager's frame around the window.
#include "capture/EdgeResizer.h"
#include "capture/OverlayWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSet>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {
// An overlay window turned into the canvas window, as a chosen area makes it.
std::unique_ptr<OverlayWindow> canvasWindow(const QRect &frame)
{
    OverlayWindow::makeEdges = [] { return std::make_unique<EdgeResizer>(); };
    auto window = std::make_unique<OverlayWindow>(frame);
    window->setContentView(new QWidget);
    window->becomeCanvas(frame);
    QElapsedTimer t;
    t.start();
    while (window->frameGeometry() == window->geometry() && t.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return window;
}

QMouseEvent mouse(QEvent::Type type, QPointF local, QPointF global, Qt::MouseButtons buttons)
{
    return QMouseEvent(type, local, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
}
} // namespace

static void BM_EdgeDragStep(benchmark::State &state)
{
    auto window = canvasWindow(QRect(300, 150, 800, 600));
    auto *resizer = static_cast<EdgeResizer *>(window->edges.get());
    const QPointF local(5, 300);
    const QPointF start = QPointF(window->geometry().topLeft()) + local;
    QMouseEvent press = mouse(QEvent::MouseButtonPress, local, start, Qt::LeftButton);
    resizer->handleEvent(&press, window.get());
    if (!resizer->resizing()) {
        state.SkipWithError("the press did not start a resize");
        return;
    }
    int step = 0;
    QSet<int> widths;
    for (auto _ : state) {
        // The left edge goes out and back by up to 100 pixels, a few pixels a step.
        const double dx = -double((step * 4) % 200 < 100 ? (step * 4) % 100 : 100 - (step * 4) % 100);
        ++step;
        QMouseEvent move = mouse(QEvent::MouseMove, local, start + QPointF(dx, 0), Qt::LeftButton);
        resizer->handleEvent(&move, window.get());
        QApplication::processEvents();
        widths.insert(window->geometry().width());
    }
    QMouseEvent release = mouse(QEvent::MouseButtonRelease, local, start, Qt::NoButton);
    resizer->handleEvent(&release, window.get());
    // How many different widths the window took during the steps: the drag did resize it.
    state.counters["widths"] = double(widths.size());
}
BENCHMARK(BM_EdgeDragStep)->Unit(benchmark::kMillisecond)->Iterations(200);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
