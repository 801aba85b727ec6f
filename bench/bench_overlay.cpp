// The selection overlay on a large screen: how long from showing it to its first painted frame,
// and what one drag step costs to paint. Run on an X server whose screen is 3840 × 2160, e.g.
//   Xvfb :97 -screen 0 3840x2160x24 & DISPLAY=:97 QT_QPA_PLATFORM=xcb ./bench_overlay
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {
// An overlay that notes when it has painted.
class TimedOverlay : public OverlayView
{
public:
    using OverlayView::OverlayView;
    int paints = 0;
    double paintMs = 0;  // time spent in paintEvent, summed
    double paintedPx = 0; // area painted, summed (points²)

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QElapsedTimer t;
        t.start();
        OverlayView::paintEvent(event);
        paintMs += t.nsecsElapsed() / 1e6;
        for (const QRect &r : event->region())
            paintedPx += double(r.width()) * r.height();
        ++paints;
    }
};

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

std::unique_ptr<TimedOverlay> makeOverlay(const QImage &frozen)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    auto view = std::make_unique<TimedOverlay>(screen->geometry().size(), frozen,
                                               screen->devicePixelRatio());
    view->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                         | Qt::BypassWindowManagerHint);
    view->setGeometry(screen->geometry());
    return view;
}

void waitForPaint(TimedOverlay &view, int paintsBefore)
{
    while (view.paints == paintsBefore)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

QImage &screenPicture()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    static QImage frozen = frozenScreen(screen->geometry().size() * screen->devicePixelRatio());
    return frozen;
}

void sendMouse(QWidget *w, QEvent::Type type, QPointF p, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// From show() to the end of the first frame painted and handed to the window system.
void BM_FirstFrame(benchmark::State &state)
{
    const QImage &frozen = screenPicture();
    state.SetLabel(QStringLiteral("%1x%2 px").arg(frozen.width()).arg(frozen.height()).toStdString());
    double paintMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto view = makeOverlay(frozen);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        view->show();
        waitForPaint(*view, 0);
        state.PauseTiming();
        paintMs += view->paintMs;
        view.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["paint_ms"] = paintMs / state.iterations();
}

// The same in a window that was shown before (its backing store already in memory), as when
// overlay windows are kept from one capture to the next: the overlay's own share of the cost.
void BM_FirstFrameWarmWindow(benchmark::State &state)
{
    const QImage &frozen = screenPicture();
    QScreen *screen = QGuiApplication::primaryScreen();
    QWidget host;
    host.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                        | Qt::BypassWindowManagerHint);
    host.setGeometry(screen->geometry());
    host.show();
    for (int i = 0; i < 20 && !host.windowHandle()->isExposed(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
    double paintMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto *view = new TimedOverlay(host.size(), frozen, screen->devicePixelRatio(), &host);
        view->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        view->show();
        waitForPaint(*view, 0);
        state.PauseTiming();
        paintMs += view->paintMs;
        delete view;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["paint_ms"] = paintMs / state.iterations();
}

// Notes the first paint of a widget.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// A capture session made from the frozen screen: from show() to the first overlay frame painted
// and handed to the window system.
void BM_SessionFirstFrame(benchmark::State &state)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    FrozenFrame frame;
    frame.screen.name = screen->name();
    frame.screen.geometry = screen->geometry();
    frame.screen.pixelScale = screen->devicePixelRatio();
    frame.image = screenPicture();
    frame.image.setDevicePixelRatio(frame.screen.pixelScale);
    for (auto _ : state) {
        state.PauseTiming();
        auto *session = new CaptureSession({frame}, std::nullopt, OverlayViewHost::Mode::Clipboard);
        CaptureSession::setCurrentSession(session);
        PaintWatch watch;
        session->views().value(0)->installEventFilter(&watch);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        session->show();
        while (!watch.painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.PauseTiming();
        session->views().value(0)->removeEventFilter(&watch);
        session->end(false);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// One pointer move of a drag over a large area: selection, dim hole, border, handles and chip
// follow, and the changed pixels are painted and flushed.
void BM_DragStep(benchmark::State &state)
{
    auto view = makeOverlay(screenPicture());
    view->setTestModifiers(Qt::NoModifier);
    view->show();
    waitForPaint(*view, 0);
    QElapsedTimer fade;
    fade.start();
    while (view->dimOpacity() < 1.0 && fade.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    sendMouse(view.get(), QEvent::MouseButtonPress, {300, 200}, Qt::LeftButton);
    sendMouse(view.get(), QEvent::MouseMove, {2500, 1500}, Qt::LeftButton);
    QCoreApplication::processEvents();
    view->paintMs = 0;
    view->paintedPx = 0;
    const int paintsBefore = view->paints;
    int step = 0;
    for (auto _ : state) {
        const int before = view->paints;
        ++step;
        const QPointF p(2500 + (step % 40), 1500 + (step % 30));
        sendMouse(view.get(), QEvent::MouseMove, p, Qt::LeftButton);
        waitForPaint(*view, before);
    }
    const double paints = std::max(1, view->paints - paintsBefore);
    state.counters["paint_ms"] = view->paintMs / paints;
    state.counters["painted_px"] = view->paintedPx / paints;
    sendMouse(view.get(), QEvent::MouseButtonRelease, {2500, 1500}, Qt::NoButton);
}
} // namespace

BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_SessionFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_FirstFrameWarmWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
