// A canvas of 12 pages, each one 2880 × 1800 shot at 2 pixels a point with 20 marks: going from
// page to page (storing the page left and showing the next, on the main thread) between pages
// whose pictures are made and when the page left is stale; the page picture itself; the rail
// rebuilt in full with 20 earlier captures whose pictures are loaded and with none loaded (their
// "rail.png" files are read off the main thread: the time until all 20 are in is reported too);
// and the resident memory the 12 pages add. Runs offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench_canvas_pages
#include "canvas/CanvasController.h"
#include "canvas/DisplayImages.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "platform/fake/FakeScheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr QSize shotPixels(2880, 1800);
constexpr int pageCount = 12;
constexpr int recentCount = 20;

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1 << 20) : 0;
}

void settle(const std::function<bool()> &done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// 20 marks over a 1440 × 900 pt shot: arrows, boxes and a few redactions.
void addMarks(Markup &markup, int seed)
{
    for (int i = 0; i < 20; ++i) {
        const double x = 60 + (i % 5) * 260 + seed, y = 60 + (i / 5) * 200;
        if (i % 7 == 0)
            markup.items.append(Item::withRect(ItemKind::redaction, QRectF(x, y, 120, 40), 0, 2));
        else if (i % 2)
            markup.items.append(Item::arrowFrom(QPointF(x, y + 120), QPointF(x + 180, y), i % 6, i % 4));
        else
            markup.items.append(Item::withRect(ItemKind::box, QRectF(x, y, 200, 130), i % 6, i % 4));
    }
}

// The canvas with its 12 pages, every one visited once so that its picture is made.
struct Canvas
{
    FakeScheduler clock;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<CanvasController> controller;
    double grewMiB = 0;

    Canvas()
    {
        CanvasController::scheduler() = &clock;
        host = std::make_unique<QWidget>();
        host->resize(1440, 900);
        host->show();
        const double before = residentMiB();
        Markup markup = Markup::single(QRectF(0, 0, 1440, 900), QSizeF(1440, 900), 1);
        addMarks(markup, 0);
        ShotImages images;
        images.insert(markup.shots[0].id, ShotImage{samplePicture(shotPixels.width(), shotPixels.height(), 0), 2});
        controller = std::make_unique<CanvasController>(images, markup, host.get(), QRectF(0, 0, 1440, 900));
        QList<Importer::Picture> more;
        for (int i = 1; i < pageCount; ++i)
            more << Importer::Picture{samplePicture(shotPixels.width(), shotPixels.height(), i), 2, std::nullopt};
        controller->addPictures(more, false);
        for (int i = 1; i < pageCount; ++i)
            addMarks(controller->pages[i].markup, i);
        for (int i = 0; i < pageCount; ++i) {
            visit(i);
            controller->updateThumbnailNow();
        }
        visit(0);
        grewMiB = residentMiB() - before;
    }
    ~Canvas()
    {
        controller.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }
    void visit(int index)
    {
        controller->saveCurrentPage();
        controller->showPage(index, std::nullopt, true);
        settle([this] { return controller->samplersReady() && !controller->display->pending(); });
    }
    int next() const { return (controller->currentPage + 1) % pageCount; }
};

// From a pictured page to the next (the display copies and samplers of the page shown come in
// outside the timing, as they do off the main thread).
void BM_PageToPage(benchmark::State &state)
{
    Canvas canvas;
    CanvasController &c = *canvas.controller;
    for (auto _ : state) {
        c.saveCurrentPage();
        c.showPage(canvas.next(), std::nullopt, true);
        state.PauseTiming();
        settle([&c] { return c.samplersReady() && !c.display->pending(); });
        state.ResumeTiming();
    }
    state.counters["resident MiB added by 12 pages"] = canvas.grewMiB;
}
BENCHMARK(BM_PageToPage)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// Leaving a page edited since its picture: the picture is made as the page is stored.
void BM_PageToPageLeavingStale(benchmark::State &state)
{
    Canvas canvas;
    CanvasController &c = *canvas.controller;
    for (auto _ : state) {
        state.PauseTiming();
        c.markup.items.first().moveBy(1, 0);
        c.refresh(false); // marks the picture stale
        state.ResumeTiming();
        c.saveCurrentPage();
        c.showPage(canvas.next(), std::nullopt, true);
        state.PauseTiming();
        settle([&c] { return c.samplersReady() && !c.display->pending(); });
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PageToPageLeavingStale)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_MakePagePicture(benchmark::State &state)
{
    Canvas canvas;
    for (auto _ : state)
        canvas.controller->makePagePicture();
}
BENCHMARK(BM_MakePagePicture)->Unit(benchmark::kMillisecond);

// 20 earlier captures in a history of their own, written once for all rail benchmarks.
struct History
{
    QTemporaryDir folder;
    History()
    {
        Recents::setFolderOverride(folder.path());
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < recentCount; ++i) {
            Markup markup = Markup::single(QRectF(0, 0, 1440, 900), QSizeF(1440, 900), 1);
            addMarks(markup, i);
            ShotImages images;
            const QImage picture = samplePicture(shotPixels.width(), shotPixels.height(), 20 + i);
            images.insert(markup.shots[0].id, ShotImage{picture, 2});
            Recents::save(markup, images, picture.scaledToWidth(720, Qt::SmoothTransformation), std::nullopt,
                          std::nullopt, std::nullopt, now.addSecs(-3600 * (i + 1)), true);
        }
    }
    ~History() { Recents::setFolderOverride({}); }
};

History &history()
{
    static History h;
    return h;
}

void BM_RailRebuildCached(benchmark::State &state)
{
    history();
    Canvas canvas;
    CanvasController &c = *canvas.controller;
    c.refreshRail(false);
    settle([&c] { return c.recentPictures.size() == recentCount; });
    for (auto _ : state)
        c.refreshRail(false);
    state.counters["recents"] = double(c.recentShown.size());
}
BENCHMARK(BM_RailRebuildCached)->Unit(benchmark::kMillisecond);

// No picture loaded yet: the main thread's part of the rebuild, and (as a counter) how long
// until the 20 pictures read off the main thread are all in the rail.
void BM_RailRebuildCold(benchmark::State &state)
{
    history();
    Canvas canvas;
    CanvasController &c = *canvas.controller;
    c.refreshRail(false);
    settle([&c] { return c.recentPictures.size() == recentCount; });
    double picturesInMs = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        c.recentPictures.clear();
        QElapsedTimer t;
        state.ResumeTiming();
        t.start();
        c.refreshRail(false);
        state.PauseTiming();
        settle([&c] { return c.recentPictures.size() == recentCount; });
        picturesInMs += double(t.nsecsElapsed()) / 1e6;
        ++runs;
        state.ResumeTiming();
    }
    state.counters["ms until the pictures are in"] = runs ? picturesInMs / runs : 0;
}
BENCHMARK(BM_RailRebuildCold)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
