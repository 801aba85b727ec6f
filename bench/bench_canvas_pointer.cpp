// The canvas under the pointer, over one 2× shot of 1440 × 900 pt with 200 items (20 redactions,
// 20 comments, 80 arrows, 80 boxes) in a shown window: a pointer move that changes no hover, one
// that does (a comment's box comes and goes), the hit testing of a press, and one step of an
// arrow drag with its refresh, chrome and repaint. Each pass ends with the repaint the step asked
// for; the counter "chrome paints" tells how often the chrome was painted per pass.
#include "canvas/CanvasChrome.h"
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
constexpr QSize shotPixels(2880, 1800);

// Counts the paints of one widget.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Canvas
{
    std::unique_ptr<QWidget> host;
    std::unique_ptr<CanvasController> controller;
    PaintCounter chromePaints;
    QPointF comment;      // the middle of a comment's text
    QPointF box;          // on a box's border
    QPointF empty;        // over the shot, near nothing
    QPointF emptyToo;

    Canvas()
    {
        host = std::make_unique<QWidget>();
        host->resize(1440, 900);
        Markup markup = Markup::single(QRectF(0, 0, 1440, 900), QSizeF(1440, 900), 1);
        ShotImages images;
        images.insert(markup.shots[0].id, ShotImage{samplePicture(shotPixels.width(), shotPixels.height(), 0), 2});
        for (int i = 0; i < 200; ++i) {
            const double x = 40 + (i % 20) * 68, y = 40 + (i / 20) * 80;
            if (i % 10 == 0) {
                markup.items.append(Item::withRect(ItemKind::redaction, QRectF(x, y, 60, 40), 0, 2));
            } else if (i % 10 == 5) {
                Item note = Item::noteAt(QPointF(x, y), TextSide::right, 56, QString(), i % 6, 0);
                note.string = QStringLiteral("Note %1").arg(i);
                markup.items.append(note);
            } else if (i % 2) {
                markup.items.append(Item::arrowFrom(QPointF(x, y + 60), QPointF(x + 50, y), i % 6, i % 4));
            } else {
                markup.items.append(Item::withRect(ItemKind::box, QRectF(x, y, 56, 66), i % 6, i % 4));
            }
        }
        controller = std::make_unique<CanvasController>(images, markup, host.get(), QRectF(0, 0, 1440, 900));
        host->show();
        QElapsedTimer t;
        t.start();
        while ((!controller->samplersReady() || controller->display->pending()) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        controller->refresh(true);
        controller->chrome->installEventFilter(&chromePaints);
        settle();

        const Item &note = controller->markup.items.at(5);
        comment = CanvasController::textRectOf(controller->texts.value(note.id)).center();
        box = controller->markup.items.at(2).rect.topLeft() + QPointF(20, 0);
        // Below the last row of items, away from the crop handles.
        empty = QPointF(300, 890);
        emptyToo = QPointF(1000, 890);
    }

    // Runs what the step left to do: posted events, repaints, the grip growth's frames.
    void settle() { QCoreApplication::processEvents(); }
};

void BM_PointerMoveSameHover(benchmark::State &state)
{
    Canvas canvas;
    CanvasController *c = canvas.controller.get();
    const QPointF points[] = {canvas.empty, canvas.emptyToo, canvas.box};
    c->pointerMoved(points[0], std::nullopt, true);
    canvas.settle();
    canvas.chromePaints.paints = 0;
    int i = 0;
    for (auto _ : state) {
        c->pointerMoved(points[++i % 3], std::nullopt, true);
        canvas.settle();
    }
    state.counters["chrome paints"] = double(canvas.chromePaints.paints) / double(state.iterations());
}
BENCHMARK(BM_PointerMoveSameHover)->Unit(benchmark::kMicrosecond);

void BM_PointerMoveHoverChanges(benchmark::State &state)
{
    Canvas canvas;
    CanvasController *c = canvas.controller.get();
    canvas.chromePaints.paints = 0;
    bool over = false;
    for (auto _ : state) {
        over = !over;
        if (over)
            c->pointerMoved(std::nullopt, canvas.comment, true);
        else
            c->pointerMoved(canvas.empty, std::nullopt, true);
        canvas.settle();
    }
    if (!c->controlsText && over)
        state.SkipWithError("the comment was not hovered");
    state.counters["chrome paints"] = double(canvas.chromePaints.paints) / double(state.iterations());
}
BENCHMARK(BM_PointerMoveHoverChanges)->Unit(benchmark::kMicrosecond);

// What a press asks before it starts a gesture: the comment controls, the grips, the item under
// it; over nothing, every item is asked. The zoom changes every pass, so the hit bands are made
// anew for the items near the point.
void BM_PressHitTest(benchmark::State &state)
{
    Canvas canvas;
    CanvasController *c = canvas.controller.get();
    const QPointF points[] = {canvas.empty, canvas.box, canvas.comment, canvas.emptyToo};
    const double zooms[] = {0.6, 0.61};
    int i = 0, hits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        c->scrollView->zoom(zooms[i % 2], QPointF());
        state.ResumeTiming();
        const QPointF p = points[i++ % 4];
        const QPointF q = c->toHost(p);
        benchmark::DoNotOptimize(c->commentControlsAt(q));
        if (!c->gripAt(q, p) && c->itemAt(p))
            ++hits;
    }
    state.counters["hits"] = double(hits) / double(state.iterations());
}
BENCHMARK(BM_PressHitTest)->Unit(benchmark::kMicrosecond);

void BM_ArrowDragStep(benchmark::State &state)
{
    Canvas canvas;
    CanvasController *c = canvas.controller.get();
    const QPointF start = canvas.empty;
    c->mouseDown({}, 1, start);
    c->mouseDragged({}, start + QPointF(-120, -100));
    canvas.settle();
    canvas.chromePaints.paints = 0;
    double step = 0;
    for (auto _ : state) {
        step = step >= 40 ? 0 : step + 1;
        c->mouseDragged({}, start + QPointF(-120 - step, -100 + step / 2));
        canvas.settle();
    }
    state.counters["chrome paints"] = double(canvas.chromePaints.paints) / double(state.iterations());
    c->mouseUp({}, start + QPointF(-120, -100));
}
BENCHMARK(BM_ArrowDragStep)->Unit(benchmark::kMicrosecond);
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
