// The history's save of one screen-sized page and its listing of a full history.
#include "history/HistoryFiles.h"
#include "history/Recents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
// A screen-like 3840 x 2160 picture: flat panels, bars and lines of small marks, some gradient.
QImage screenPicture()
{
    QImage image(3840, 2160, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(246, 246, 248));
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(80, 140, 210));
    p.fillRect(0, 0, 3840, 300, sky);
    p.fillRect(0, 300, 600, 1860, QColor(230, 232, 236));
    for (int y = 360; y < 2100; y += 36)
        for (int x = 700; x < 3700; x += 14 + (x * 7 + y) % 23)
            p.fillRect(x, y, 8 + (x + y) % 6, 18, QColor((x * 13) % 90, (y * 7) % 90, 60));
    return image;
}

struct Fixture {
    QTemporaryDir dir;
    QImage shot = screenPicture();
    Markup markup;
    ShotImages images;
    QImage page = QImage(720, 405, QImage::Format_ARGB32_Premultiplied);

    Fixture()
    {
        const QSizeF points(1920, 1080);
        const Shot s(QUuid::createUuid(), QPointF(0, 0), points, QRectF(QPointF(0, 0), points));
        markup.shots.append(s);
        markup.unit = 1;
        images.insert(s.id, ShotImage{shot, 2});
        page.fill(Qt::gray);
    }
    void useFolder(const QString &name)
    {
        Recents::setFolderOverride(dir.filePath(name));
        QDir(Recents::folder()).removeRecursively();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_EncodeScreenPng(benchmark::State &state)
{
    const QImage &shot = fixture().shot;
    for (auto _ : state)
        benchmark::DoNotOptimize(HistoryFiles::pngData(shot));
}
BENCHMARK(BM_EncodeScreenPng)->Unit(benchmark::kMillisecond)->Iterations(5);

// A new entry with one 3840 x 2160 shot and its page picture, waiting until it is on disk.
void BM_SaveNewPageWaiting(benchmark::State &state)
{
    Fixture &f = fixture();
    f.useFolder("save");
    for (auto _ : state)
        Recents::save(f.markup, f.images, f.page, {}, {}, {}, {}, true);
}
BENCHMARK(BM_SaveNewPageWaiting)->Unit(benchmark::kMillisecond)->Iterations(5);

// The part of a save that runs on the caller's thread; the writing is left to the queue.
void BM_SaveCallerThreadPart(benchmark::State &state)
{
    Fixture &f = fixture();
    f.useFolder("caller");
    for (auto _ : state) {
        Recents::save(f.markup, f.images, f.page, {}, {}, {}, {}, false);
        state.PauseTiming();
        Recents::queue().sync([] {});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveCallerThreadPart)->Unit(benchmark::kMicrosecond)->Iterations(5);

// Saving an unchanged page again: only canvas.json and the two small pictures are written.
void BM_ResaveUnchangedPage(benchmark::State &state)
{
    Fixture &f = fixture();
    f.useFolder("resave");
    const auto id = Recents::save(f.markup, f.images, f.page, {}, {}, {}, {}, true);
    for (auto _ : state)
        Recents::save(f.markup, f.images, f.page, id, {}, {}, {}, true);
}
BENCHMARK(BM_ResaveUnchangedPage)->Unit(benchmark::kMillisecond)->Iterations(20);

// Thirty screen-sized entries, listed with their dates and read as the menu needs them: the
// entries and their small thumbnails.
void BM_ListThirtyWithThumbnails(benchmark::State &state)
{
    Fixture &f = fixture();
    f.useFolder("list");
    const auto first = Recents::save(f.markup, f.images, f.page, {}, {}, {}, {}, true);
    const QString from = Recents::folder() + "/" + *first;
    for (int i = 1; i < 30; ++i) {
        const QString to = Recents::folder() + QString("/20260101-0000%1-AAAA").arg(i, 2, 10, QChar('0'));
        QDir().mkpath(to);
        for (const QString &file : QDir(from).entryList(QDir::Files))
            QFile::copy(from + "/" + file, to + "/" + file);
    }
    for (auto _ : state) {
        const QList<Recents::Entry> entries = Recents::list();
        for (const Recents::Entry &entry : entries)
            benchmark::DoNotOptimize(QImage(entry.folder + "/thumb.png"));
        benchmark::DoNotOptimize(Recents::datedEntries());
    }
}
BENCHMARK(BM_ListThirtyWithThumbnails)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    // Nothing of the user's own settings, history or log is read or written.
    static QTemporaryDir home;
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        qputenv(var, home.path().toLocal8Bit() + "/" + var);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
