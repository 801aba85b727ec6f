// Export: rendering a marked-up 2880 x 1800 page, a page with a very long comment, pixelating,
// encoding the clipboard picture, the main-thread part of a copy, and the autosave writer's
// main-thread part.
#include "capture/ClipboardPicture.h"
#include "capture/CaptureSession.h"
#include "capture/SessionCanvas.h"
#include "export/ExportScene.h"
#include "export/SamplePicture.h"
#include "history/PageWriter.h"
#include "platform/MemoryPasteboard.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
struct Fixture {
    Markup markup;
    ShotImages images;
};

Fixture page()
{
    const QImage picture = samplePicture(2880, 1800, 1);
    Fixture f{Markup::single(QRectF(0, 0, 1440, 900), QSizeF(1440, 900), 1), {}};
    f.images.insert(f.markup.shots[0].id, ShotImage{picture, 2});
    for (int i = 0; i < 10; ++i) {
        f.markup.items.append(Item::arrowFrom(QPointF(100 + i * 120, 700), QPointF(150 + i * 120, 300), i % 6, 2));
        f.markup.items.append(Item::withRect(ItemKind::box, QRectF(60 + i * 130, 80, 100, 60), (i + 2) % 6, 2));
    }
    for (int i = 0; i < 3; ++i)
        f.markup.items.append(Item::withRect(ItemKind::redaction, QRectF(200 + i * 400, 400, 300, 150), 0, 2));
    for (int i = 0; i < 5; ++i) {
        Item note = Item::noteAt(QPointF(100 + i * 250, 820), TextSide::right, 200, QString(), 4, 2);
        note.string = QStringLiteral("Comment %1 on a plate, long enough to wrap").arg(i);
        f.markup.items.append(note);
    }
    return f;
}

void BM_RenderExact(benchmark::State &state)
{
    const Fixture f = page();
    const ExportScene scene = ExportScene::fromPage(f.markup, f.images);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.render(false, std::nullopt, 16));
}
BENCHMARK(BM_RenderExact)->Unit(benchmark::kMillisecond);

void BM_Pixelate(benchmark::State &state)
{
    const ShotImage shot{samplePicture(2880, 1800, 0), 2};
    for (auto _ : state)
        benchmark::DoNotOptimize(shot.pixelated(QRectF(0, 0, 1440, 900)));
}
BENCHMARK(BM_Pixelate)->Unit(benchmark::kMillisecond);

void BM_EncodePngAndTiff(benchmark::State &state)
{
    const Fixture f = page();
    const QImage picture = ExportScene::fromPage(f.markup, f.images).render(false, std::nullopt, 16);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ClipboardPicture::encode(picture, 2, "png"));
        benchmark::DoNotOptimize(ClipboardPicture::encode(picture, 2, "tiff"));
    }
}
BENCHMARK(BM_EncodePngAndTiff)->Unit(benchmark::kMillisecond);

// A copy's main-thread part: render and offer; the encoding runs on the workers.
void BM_CopyMainThread(benchmark::State &state)
{
    const Fixture f = page();
    ClipboardPicture::setTestPasteboard(std::make_shared<MemoryPasteboard>(QStringLiteral("bench")));
    for (auto _ : state) {
        const ExportScene scene = ExportScene::fromPage(f.markup, f.images);
        benchmark::DoNotOptimize(ClipboardPicture::put(scene.render(false, std::nullopt, 16), 2));
        state.PauseTiming();
        ClipboardPicture::waitForEncodingForTesting();
        state.ResumeTiming();
    }
    ClipboardPicture::setTestPasteboard({});
}
BENCHMARK(BM_CopyMainThread)->Unit(benchmark::kMillisecond);

// A page with one long comment, laid out and rendered: 1 MB of ordinary words (Arg 0) or 100 KB
// with no space at all (Arg 1), which is cut into pieces of the comment's width.
void BM_LongComment(benchmark::State &state)
{
    const QImage picture = samplePicture(1600, 1000, 1);
    Markup markup = Markup::single(QRectF(0, 0, 800, 500), QSizeF(800, 500), 1);
    ShotImages images;
    images.insert(markup.shots[0].id, ShotImage{picture, 2});
    Item note = Item::noteAt(QPointF(820, 40), TextSide::right, 400, QString(), 4, 2);
    note.string = state.range(0) == 0 ? QStringLiteral("a comment of ordinary words that wraps ").repeated(1024 * 1024 / 39)
                                      : QStringLiteral("unbroken").repeated(100 * 1024 / 8);
    markup.items.append(note);
    for (auto _ : state) {
        const ExportScene scene = ExportScene::fromPage(markup, images);
        benchmark::DoNotOptimize(scene.render(false, std::nullopt, 16));
    }
}
BENCHMARK(BM_LongComment)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class ThreePages : public SessionCanvas
{
public:
    void endEditing() override {}
    void saveCurrentPage() override {}
    void focusDocument() override {}
    bool markCurrentPageDone() override { return true; }
    void addShotPage(const QImage &, double, const QRectF &) override {}
    QList<SessionPage> pagesForSaving() const override { return pages; }
    void setPageHistory(int i, const std::optional<QString> &id, const std::optional<QDateTime> &) override
    {
        pages[i].historyId = id;
    }
    QList<SessionPage> pages;
};

// The autosave writer's main-thread part for a 3-page canvas, unchanged or with one page changed;
// the store stands in for the history, whose own work runs on its queue.
void BM_WritePages(benchmark::State &state)
{
    const Fixture f = page();
    ThreePages canvas;
    for (int i = 0; i < 3; ++i)
        canvas.pages << SessionPage{std::nullopt, f.markup, f.images, samplePicture(720, 450, i), {}, std::nullopt};
    CaptureSession session({}, std::nullopt, OverlayViewHost::Mode::Canvas);
    int n = 0;
    const PageWriter::Store store = [&](const PageWriter::Request &r) {
        return r.id ? r.id : std::optional<QString>(QString::number(++n));
    };
    PageWriter::writePages(session, canvas, false, store);
    for (auto _ : state) {
        if (state.range(0))
            canvas.pages[1].markup.unit += 1;
        PageWriter::writePages(session, canvas, false, store);
    }
}
BENCHMARK(BM_WritePages)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
