// The canvas toolbar's update on every refresh: with the state unchanged, and with a new zoom
// text whose width is cached; and writing the drag-out file of a 2880 × 1800 page (encoding and
// writing, the render apart). Runs offscreen:
//   QT_QPA_PLATFORM=offscreen ./bench_toolbar
#include "canvas/CanvasController.h"
#include "canvas/Toolbar.h"

#include <QApplication>
#include <QFile>
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
