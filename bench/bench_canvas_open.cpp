// The chosen area turning into the canvas window: from the drag's release to the canvas mapped
// and its first frame painted, with the window's conversion, the controller's construction (with
// its first refresh) and the paint apart; and one resize step's layout. Run on an X server with a
// window manager whose screen is 3840 × 2160, at a scale factor of 2, e.g.
//   source scripts/xserver.sh; xserver_start 3840x2160; QT_SCALE_FACTOR=2 ./bench_canvas_open
#include "canvas/CanvasController.h"
#include "capture/OverlayCanvas.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {
QImage frozenScreen(QSize pixels)
{
    QImage img(pixels, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = qRgb(x * 7 & 255, y * 3 & 255, (x ^ y) & 255);
    }
    return img;
}

// Notes the first paint of a widget.
class PaintSeen : public QObject
{
public:
    bool seen = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            seen = true;
        return false;
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// An overlay on the primary screen showing its frozen picture, as a capture puts it up.
struct Overlay
{
    OverlayWindow *window;
    OverlayView *view;
    Overlay(const QImage &frozen)
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        window = new OverlayWindow(screen->geometry());
        view = new OverlayView(screen->geometry().size(), frozen, screen->devicePixelRatio());
        window->setContentView(view);
        window->orderFrontRegardless();
        QElapsedTimer t;
        t.start();
        while (!window->isVisible() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        settle();
    }
    ~Overlay()
    {
        window->onUserClose = nullptr;
        delete window;
        settle();
    }
};

// The area of 2880 × 1800 pixels in the middle of the screen, in points.
QRectF chosenArea()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const double s = screen->devicePixelRatio();
    const QSizeF size(2880 / s, 1800 / s);
    const QRectF g(QPointF(), QSizeF(screen->geometry().size()));
    return QRectF(g.center() - QPointF(size.width() / 2, size.height() / 2), size);
}
} // namespace

static void BM_OpenCanvas(benchmark::State &state)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QImage frozen = frozenScreen(screen->geometry().size() * screen->devicePixelRatio());
    const QRectF rect = chosenArea();
    std::vector<double> total, conversion, construction, paint;
    for (auto _ : state) {
        state.PauseTiming();
        auto overlay = std::make_unique<Overlay>(frozen);
        state.ResumeTiming();
        // The steps of opening a canvas on the chosen area, one by one.
        QElapsedTimer t;
        t.start();
        const QRectF shotFrame = overlay->view->becomeCanvasWindow(rect);
        const double converted = t.nsecsElapsed() / 1e6;
        const Markup markup = Markup::single(rect, QSizeF(overlay->view->size()), rect.width() / shotFrame.width());
        ShotImages images;
        images.insert(markup.shots.first().id, ShotImage{overlay->view->frozen(), overlay->view->pixelScale()});
        OverlayCanvas *canvas = overlay->view->attachCanvas(markup, images, shotFrame);
        overlay->view->revealCanvas();
        const double built = t.nsecsElapsed() / 1e6;
        PaintSeen painted;
        canvas->documentWidget()->installEventFilter(&painted);
        static_cast<QAbstractScrollArea *>(canvas->documentWidget())->viewport()->installEventFilter(&painted);
        while (!painted.seen)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const double done = t.nsecsElapsed() / 1e6;
        total.push_back(done);
        conversion.push_back(converted);
        construction.push_back(built - converted);
        paint.push_back(done - built);
        state.PauseTiming();
        overlay.reset();
        state.ResumeTiming();
    }
    state.counters["median_ms"] = median(total);
    state.counters["conversion_ms"] = median(conversion);
    state.counters["construction_ms"] = median(construction);
    state.counters["paint_ms"] = median(paint);
}

static void BM_ResizeLayout(benchmark::State &state)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QImage frozen = frozenScreen(screen->geometry().size() * screen->devicePixelRatio());
    Overlay overlay(frozen);
    const QRectF rect = chosenArea();
    overlay.view->becomeCanvasWindow(rect);
    const Markup markup = Markup::single(rect, QSizeF(overlay.view->size()), 1);
    ShotImages images;
    images.insert(markup.shots.first().id, ShotImage{overlay.view->frozen(), overlay.view->pixelScale()});
    auto *canvas = dynamic_cast<CanvasController *>(overlay.view->attachCanvas(markup, images, rect));
    settle();
    const QSize base = canvas->host->size();
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        canvas->host->resize(base + QSize(step % 2, step % 3));
        ++step;
        state.ResumeTiming();
        canvas->layout();
    }
}

BENCHMARK(BM_OpenCanvas)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_ResizeLayout)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    CanvasController::install();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
