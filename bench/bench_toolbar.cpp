// The canvas toolbar's update on every refresh: with the state unchanged, and with a new zoom
// text whose width is cached; writing the drag-out file of a 2880 × 1800 page (encoding and
// writing, the render apart); and a drag-out of a marked-up 2880 × 1800 @2 page from the move
// past 3 pt to the moment the drag would run (the render and the drag picture; the file is
// written on a worker meanwhile).
// Runs offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench_toolbar
#include "canvas/CanvasController.h"
#include "canvas/DragOutView.h"
#include "canvas/Toolbar.h"
#include "export/SamplePicture.h"

#include <QApplication>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPointer>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
void unchangedUpdate(benchmark::State &state)
{
    QWidget host;
    host.resize(1400, 900);
    auto *bar = new Toolbar(&host);
    bar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, true, false, 1.0);
    for (auto _ : state)
        bar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, true, false, 1.0);
}
BENCHMARK(unchangedUpdate)->Unit(benchmark::kMicrosecond);

void newZoomCachedWidth(benchmark::State &state)
{
    QWidget host;
    host.resize(1400, 900);
    auto *bar = new Toolbar(&host);
    for (double z : {1.0, 1.5})
        bar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, true, false, z);
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        bar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, true, false, flip ? 1.0 : 1.5);
    }
}
BENCHMARK(newZoomCachedWidth)->Unit(benchmark::kMicrosecond);

void dragFileWritten(benchmark::State &state)
{
    QImage page(2880, 1800, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&page);
    QLinearGradient g(0, 0, 2880, 1800);
    g.setColorAt(0, QColor(230, 236, 245));
    g.setColorAt(1, QColor(90, 110, 160));
    p.fillRect(page.rect(), g);
    QFont f;
    f.setPixelSize(26);
    p.setFont(f);
    for (int y = 40; y < 1800; y += 34)
        p.drawText(20 + (y * 7 % 200), y, QStringLiteral("The quick brown fox jumps over the lazy dog %1").arg(y));
    p.end();
    QTemporaryDir dir;
    for (auto _ : state) {
        const std::optional<QString> path = CanvasController::writeDragFile(page, 2, false, dir.path());
        state.PauseTiming();
        if (path)
            QFile::remove(*path);
        state.ResumeTiming();
    }
}
BENCHMARK(dragFileWritten)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 1440 × 900 pt canvas over a 2× shot with 20 arrows and boxes, 3 redactions and 5 comments.
Markup markedUpPage()
{
    Markup markup = Markup::single(QRectF(0, 0, 1440, 900), QSizeF(1440, 900), 1);
    for (int i = 0; i < 10; ++i) {
        markup.items.append(Item::arrowFrom(QPointF(100 + i * 120, 700), QPointF(150 + i * 120, 300), i % 6, 2));
        markup.items.append(Item::withRect(ItemKind::box, QRectF(60 + i * 130, 80, 100, 60), (i + 2) % 6, 2));
    }
    for (int i = 0; i < 3; ++i)
        markup.items.append(Item::withRect(ItemKind::redaction, QRectF(200 + i * 400, 400, 300, 150), 0, 2));
    for (int i = 0; i < 5; ++i) {
        Item note = Item::noteAt(QPointF(100 + i * 250, 820), TextSide::right, 200, QString(), 4, 2);
        note.string = QStringLiteral("Comment %1 on a plate, long enough to wrap").arg(i);
        markup.items.append(note);
    }
    return markup;
}

void dragOutToExec(benchmark::State &state)
{
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QWidget host;
    host.resize(1440, 900);
    const Markup markup = markedUpPage();
    ShotImages images;
    images.insert(markup.shots[0].id, ShotImage{samplePicture(2880, 1800, 1), 2});
    CanvasController canvas(images, markup, &host, QRectF(0, 0, 1440, 900));
    QElapsedTimer settling;
    settling.start();
    while (!canvas.samplersReady() && settling.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    DragOutView *handle = canvas.toolbar->dragOut();
    // The drag itself is not run: the clock stops where it would start.
    QPointer<QDrag> last;
    DragOutView::runner() = [&last](QDrag &drag) {
        last = &drag;
        return Qt::IgnoreAction;
    };
    for (auto _ : state) {
        handle->pressAt(QPointF(10, 10));
        if (!handle->movedTo(QPointF(20, 10)))
            state.SkipWithError("no drag started");
        state.PauseTiming();
        // The file written meanwhile on the worker (dragFileWritten above times that).
        if (last) {
            for (const QUrl &url : last->mimeData()->urls())
                QFile::remove(url.toLocalFile());
            delete last;
        }
        state.ResumeTiming();
    }
    DragOutView::runner() = [](QDrag &drag) { return drag.exec(Qt::CopyAction); };
}
BENCHMARK(dragOutToExec)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
