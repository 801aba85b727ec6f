// The canvas's drawing of shots and marks: a refresh with 200 unchanged items (20 redactions) and
// with one moved, a repaint of a viewport over a 2880 x 1800 shot with those items, a repaint of
// a 3840 x 2160 shot shown smoothly at 56%, the display copies of 8 pages drawn for the display,
// and visiting 12 pages under the cache's trim.
#include "canvas/CanvasController.h"
#include "canvas/DisplayImages.h"
#include "canvas/DocumentView.h"
#include "canvas/ShotItems.h"
#include "export/SamplePicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr QSize shotPixels(2880, 1800);

// A canvas over one 2× shot (1440 × 900 pt unless given) with 200 items unless given: one in ten
// a redaction, the rest arrows and boxes by turns.
struct Canvas
{
    std::unique_ptr<QWidget> host;
    std::unique_ptr<CanvasController> controller;

    explicit Canvas(QSize pixels = shotPixels, int count = 200)
    {
        const QSizeF points = QSizeF(pixels) / 2;
        host = std::make_unique<QWidget>();
        host->resize(points.toSize());
        Markup markup = Markup::single(QRectF(QPointF(), points), points, 1);
        ShotImages images;
        images.insert(markup.shots[0].id, ShotImage{samplePicture(pixels.width(), pixels.height(), 0), 2});
        for (int i = 0; i < count; ++i) {
            const double x = 40 + (i % 20) * 68, y = 40 + (i / 20) * 84;
            if (i % 10 == 0)
                markup.items.append(Item::withRect(ItemKind::redaction, QRectF(x, y, 60, 40), 0, 2));
            else if (i % 2)
                markup.items.append(Item::arrowFrom(QPointF(x, y + 60), QPointF(x + 50, y), i % 6, i % 4));
            else
                markup.items.append(Item::withRect(ItemKind::box, QRectF(x, y, 56, 70), i % 6, i % 4));
        }
        controller = std::make_unique<CanvasController>(images, markup, host.get(), QRectF(QPointF(), points));
        // The samplers and the display copies come in; then the canvas is settled.
        QElapsedTimer t;
        t.start();
        while ((!controller->samplersReady() || controller->display->pending()) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        controller->refresh(true);
    }
};

QImage displayPicture(int seed)
{
    QImage picture = samplePicture(shotPixels.width(), shotPixels.height(), seed);
    picture.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    return picture;
}

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1 << 20) : 0;
}

void BM_RefreshUnchanged(benchmark::State &state)
{
    Canvas canvas;
    for (auto _ : state)
        canvas.controller->refresh(false);
    state.counters["items drawn"] = canvas.controller->itemDrawsForTest;
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMicrosecond);

void BM_RefreshOneMoved(benchmark::State &state)
{
    Canvas canvas;
    CanvasController *c = canvas.controller.get();
    double step = 1;
    for (auto _ : state) {
        Item item = c->markup.items.at(101);
        item.moveBy(step, 0);
        step = -step;
        c->markup.items[101] = item;
        c->refresh(false);
    }
}
BENCHMARK(BM_RefreshOneMoved)->Unit(benchmark::kMicrosecond);

// A 1440 × 900 pt viewport at a pixel scale of 2, as the view paints it.
void BM_RepaintViewport(benchmark::State &state)
{
    Canvas canvas;
    QImage target(shotPixels, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&target);
        canvas.controller->docView->render(&p, QRectF(QPointF(), QSizeF(shotPixels)), QRectF(0, 0, 1440, 900));
    }
}
BENCHMARK(BM_RepaintViewport)->Unit(benchmark::kMillisecond);

// A whole 4K display (3840 × 2160 px at scale 2) shown at 56%: the viewport repaint draws the
// shot from its smooth copy, made once for the zoom level on a worker thread ("copy ms", the
// time from the first paint until the copy is in), then pixel for pixel. The argument is the
// number of marks over the shot: the shot alone, and with the 200 items of the other repaints.
void BM_RepaintViewport4KAt56(benchmark::State &state)
{
    const QSize pixels(3840, 2160);
    Canvas canvas(pixels, int(state.range(0)));
    ShotPictureItem *shot = nullptr;
    for (QGraphicsItem *item : canvas.controller->docView->items())
        if (auto *found = dynamic_cast<ShotPictureItem *>(item))
            shot = found;
    if (!shot) {
        state.SkipWithError("no shot");
        return;
    }
    const double zoom = 0.56;
    const QSize device = (QSizeF(pixels) * zoom).toSize();
    QImage target(device, QImage::Format_ARGB32_Premultiplied);
    const auto repaint = [&] {
        QPainter p(&target);
        canvas.controller->docView->render(&p, QRectF(QPointF(), QSizeF(device)), QRectF(QPointF(), QSizeF(pixels) / 2));
    };
    QElapsedTimer t;
    t.start();
    repaint();
    while ((shot->shrinking() || shot->shrunk().isNull() || shot->fading()) && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const double copyMs = double(t.nsecsElapsed()) / 1e6;
    if (shot->shrunk().isNull()) {
        state.SkipWithError("no smooth copy for the zoom level");
        return;
    }
    for (auto _ : state)
        repaint();
    state.counters["copy ms"] = copyMs;
    state.counters["copies made"] = shot->shrunkCopiesMade();
}
BENCHMARK(BM_RepaintViewport4KAt56)->ArgName("marks")->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

// Full and small copies of 8 pages of Display P3 pictures drawn for an sRGB display on 4 threads.
// The first run also touches the copies' memory for the first time (as a canvas just opened does);
// later runs reuse memory the process already holds. "first ms" is that first run.
void BM_DisplayCopiesEightPages(benchmark::State &state)
{
    QList<DisplayImages::Job> jobs;
    for (int i = 0; i < 8; ++i)
        jobs << DisplayImages::Job{QUuid::createUuid(), ShotImage{displayPicture(i), 2}};
    double first = -1;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        DisplayImages cache(4);
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        cache.update(jobs.mid(0, 7), jobs);
        cache.waitForWork();
        if (first < 0)
            first = double(t.nsecsElapsed()) / 1e6;
        if (cache.pending() || !cache.fullCopy(jobs[0].first))
            state.SkipWithError("copies missing");
    }
    state.counters["first ms"] = first;
}
BENCHMARK(BM_DisplayCopiesEightPages)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Visiting 12 pages one after the other: the full copies of pages left behind stay within the
// trim; the cache's bytes and the process's resident memory after the walk.
void BM_VisitTwelvePages(benchmark::State &state)
{
    QList<DisplayImages::Job> pages;
    for (int i = 0; i < 12; ++i)
        pages << DisplayImages::Job{QUuid::createUuid(), ShotImage{displayPicture(i), 2}};
    qint64 unwanted = 0, held = 0;
    for (auto _ : state) {
        DisplayImages cache(4);
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        for (int current = 0; current < pages.size(); ++current) {
            QList<int> order;
            for (int i = 0; i < pages.size(); ++i)
                order << i;
            std::stable_sort(order.begin(), order.end(),
                             [current](int a, int b) { return std::abs(a - current) < std::abs(b - current); });
            QList<DisplayImages::Job> near, all;
            for (int k = 0; k < order.size(); ++k) {
                all << pages[order[k]];
                if (k < 7)
                    near << pages[order[k]];
            }
            cache.update(near, all);
            cache.waitForWork();
            cache.lookup(pages[current].first);
            unwanted = std::max(unwanted, cache.unwantedFullBytes());
        }
        held = cache.heldBytes();
    }
    state.counters["most unwanted MiB"] = double(unwanted) / (1 << 20);
    state.counters["held MiB"] = double(held) / (1 << 20);
    state.counters["resident MiB"] = residentMiB();
    if (unwanted > DisplayImages::trimBytes)
        state.SkipWithError("unwanted copies beyond the trim");
}
BENCHMARK(BM_VisitTwelvePages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
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
