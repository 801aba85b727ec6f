// One pass of a crop handle held in the canvas window's corner, as the self-check's comment
// checks run it 2000 times at most: the step the edge allows (edgePanStep, cut by the crop stop),
// the view scrolled back by it, the drag at the corner with the refresh and chrome it brings, and
// (with argument 1) the posted events and repaint it leaves. When the pan comes to rest at the
// picture's end the handle is let go and pressed again from the start (outside the timing).
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/DisplayImages.h"
#include "export/SamplePicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
struct Canvas
{
    std::unique_ptr<QWidget> host;
    std::unique_ptr<CanvasController> controller;
    QRectF area;
    QPointF origin;

    Canvas()
    {
        host = std::make_unique<QWidget>();
        host->resize(1440, 900);
        // The right-hand part of the picture, as a shot taken 40 points short of the screen's edge.
        const Markup markup = Markup::single(QRectF(800, 220, 600, 380), QSizeF(1440, 900), 1);
        ShotImages images;
        images.insert(markup.shots[0].id, ShotImage{samplePicture(2880, 1800, 0), 2});
        controller = std::make_unique<CanvasController>(images, markup, host.get(), QRectF(300, 200, 600, 380));
        host->show();
        QElapsedTimer t;
        t.start();
        while ((!controller->samplersReady() || controller->display->pending()) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        controller->refresh(true);
        settle();
        CanvasScrollView *view = controller->scrollView;
        area = QRectF(QPointF(view->mapTo(host.get(), QPoint())), QSizeF(view->size()));
        origin = view->origin();
    }

    void settle() { QCoreApplication::processEvents(); }
    QPointF target() const { return area.topLeft() + QPointF(4, 4); }
    void dragAt(QPointF hostPoint) { controller->mouseDragged({}, controller->fromHost(hostPoint)); }

    // The view back where it began, the top-left crop handle pressed and brought into the corner.
    void grab()
    {
        CanvasScrollView *view = controller->scrollView;
        view->setView(view->magnification(), origin);
        const QPointF start = controller->toHost(controller->markup.shotRect()).topLeft();
        controller->mouseDown({}, 1, controller->fromHost(start));
        for (int k = 1; k <= 10; ++k)
            dragAt(start + (target() - start) * (k / 10.0));
        settle();
    }
    void letGo()
    {
        controller->mouseUp({}, controller->fromHost(target()));
        controller->undo();
        settle();
    }
};

void BM_CropPanPass(benchmark::State &state)
{
    Canvas canvas;
    CanvasController *c = canvas.controller.get();
    canvas.grab();
    int rests = 0;
    for (auto _ : state) {
        const QPointF step = c->edgePanStep(14.4, 14.4);
        if (step != QPointF()) {
            const double magnification = c->scrollView->magnification();
            c->scrollView->setView(magnification, c->scrollView->origin() - step / magnification);
        }
        canvas.dragAt(canvas.target());
        if (state.range(0))
            canvas.settle();
        if (step == QPointF()) {
            state.PauseTiming();
            ++rests;
            canvas.letGo();
            canvas.grab();
            state.ResumeTiming();
        }
    }
    state.counters["passes per rest"] = rests ? double(state.iterations()) / rests : 0;
    canvas.letGo();
}
// Argument 0: the pass as the comment checks run it, one after another in one turn of the event
// loop; 1: each pass also delivers what it posted and repaints.
BENCHMARK(BM_CropPanPass)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
