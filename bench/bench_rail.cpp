// The page rail with 50 thumbnails: a relayout from one to three columns with its glides, the
// restyle after a pick change, one animation frame of 50 glides, and the start of a drag-out of
// 1 and 5 pages of 2880 × 1800 pixels (making, encoding and writing their files, which is what
// runs before the drag itself begins). Runs offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench_rail
#include "platform/ReduceMotion.h"
#include "platform/fake/FakeScheduler.h"
#include "rail/PageRail.h"
#include "rail/RailAnimator.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QImage screenLike(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 60, 240));
    g.setColorAt(1, QColor::fromHsv(seed * 53 % 360, 90, 160));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::black);
    QFont f;
    f.setPixelSize(26);
    p.setFont(f);
    for (int y = 40; y < h; y += 34)
        p.drawText(20 + (y * 7 % 200), y, QStringLiteral("The quick brown fox jumps over the lazy dog %1").arg(y));
    return img;
}

struct Rail {
    FakeScheduler clock;
    QWidget host;
    PageRail *rail;
    explicit Rail(int pages)
    {
        ReduceMotion::setOverride(false);
        host.resize(900, 900);
        rail = new PageRail(clock, &host);
        rail->setGeometry(0, 0, 484, 900);
        host.show();
        QList<QImage> pics;
        QStringList keys;
        for (int i = 0; i < pages; ++i) {
            pics.append(screenLike(320, 200, i));
            keys.append(QString::number(i));
        }
        rail->reload(pics, keys, 0, {}, {});
        clock.advance(1);
    }
    // Pages of 2880 × 1800 pixels behind the first `pages` thumbnails, all of them picked.
    void pickForDrag(int pages)
    {
        for (int i = 0; i < pages; ++i)
            big.append(screenLike(2880, 1800, i));
        rail->fileFor = [this](const RailRow &row) -> std::optional<RailDragOut::File> {
            const QImage image = big.at(row.page);
            return RailDragOut::File{QStringLiteral("Quillet %1.png").arg(row.page),
                                     [image] { return std::optional<RailDragOut::Data>(image); }};
        };
        for (int i = 1; i < pages; ++i)
            rail->pressThumb(rail->order().at(i), {}, Qt::ControlModifier);
    }
    QList<QImage> big;
};

void relayoutOneToThreeColumns(benchmark::State &state)
{
    Rail r(50);
    int columns = 1;
    for (auto _ : state) {
        columns = columns == 1 ? 3 : 1;
        r.rail->shape = RailGrid::columns(columns == 1 ? 184 : 484, 132, 2000);
        r.rail->layoutThumbs(true, true);
        state.PauseTiming();
        r.clock.advance(1);
        state.ResumeTiming();
    }
}
BENCHMARK(relayoutOneToThreeColumns)->Unit(benchmark::kMillisecond);

void restyleAfterPick(benchmark::State &state)
{
    Rail r(50);
    int i = 1;
    for (auto _ : state) {
        r.rail->pressThumb(r.rail->order().at(i), {}, Qt::ControlModifier);
        i = i % 49 + 1;
    }
}
BENCHMARK(restyleAfterPick)->Unit(benchmark::kMillisecond);

void frameOf50Glides(benchmark::State &state)
{
    Rail r(50);
    r.rail->shape = RailGrid::columns(484, 132, 2000);
    r.rail->layoutThumbs(true, true);
    for (auto _ : state) {
        state.PauseTiming();
        if (r.rail->glidingCount() < 50) {
            r.rail->shape = RailGrid::columns(r.rail->shape.columns == 1 ? 484 : 184, 132, 2000);
            r.rail->layoutThumbs(true, true);
        }
        state.ResumeTiming();
        r.clock.advance(RailAnimator::frameSeconds);
    }
}
BENCHMARK(frameOf50Glides)->Unit(benchmark::kMillisecond);

void dragOutStart(benchmark::State &state)
{
    const int pages = int(state.range(0));
    Rail r(pages);
    r.pickForDrag(pages);
    for (auto _ : state) {
        // what runs before QDrag::exec: the files are made and their writing begins
        const std::optional<RailDragOut::Pending> pending = r.rail->startDragFiles(r.rail->order().at(0));
        state.PauseTiming();
        if (!pending || pending->written().size() != pages)
            state.SkipWithError("files missing");
        state.ResumeTiming();
    }
}
BENCHMARK(dragOutStart)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Until the last file is on disk, which is when whoever takes the drop can read them.
void dragOutFilesWritten(benchmark::State &state)
{
    const int pages = int(state.range(0));
    Rail r(pages);
    r.pickForDrag(pages);
    for (auto _ : state) {
        if (r.rail->writeDragFiles(r.rail->order().at(0)).size() != pages)
            state.SkipWithError("files missing");
    }
}
BENCHMARK(dragOutFilesWritten)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("TMPDIR", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
