// Freezing the screens of the X display in $DISPLAY: ScreenFreezer::freezeAll through MIT-SHM and
// through plain GetImage, and Qt's own QScreen::grabWindow of the primary screen for comparison.
// Run it under an X server of the size to measure, e.g. with scripts/xserver.sh:
//   source scripts/xserver.sh; xserver_start 3840x2160; build/bench/bench_freeze; xserver_stop
#include "capture/ScreenFreezer.h"
#include "platform/linux/X11ScreenSource.h"

#include <QDir>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

template<typename T>
void await(const QFuture<T> &future)
{
    QEventLoop loop;
    QFutureWatcher<T> watcher;
    QObject::connect(&watcher, &QFutureWatcher<T>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
}

void freezeWith(benchmark::State &state, bool sharedMemory)
{
    auto source = std::make_shared<X11ScreenSource>(X11ScreenSource::Options{sharedMemory, 60});
    if (source->usesSharedMemory() != sharedMemory) {
        state.SkipWithError("MIT-SHM is not offered by this server");
        return;
    }
    ScreenFreezer freezer(source);
    await(freezer.freezeAll());
    qint64 pixels = 0;
    for (auto _ : state) {
        auto f = freezer.freezeAll();
        await(f);
        pixels = 0;
        for (const FrozenFrame &frame : f.result())
            pixels += qint64(frame.image.width()) * frame.image.height();
        benchmark::DoNotOptimize(pixels);
    }
    state.counters["Mpixels"] = double(pixels) / 1e6;
}

void BM_freezeAll_shm(benchmark::State &state)
{
    freezeWith(state, true);
}

void BM_freezeAll_getImage(benchmark::State &state)
{
    freezeWith(state, false);
}

void BM_QScreen_grabWindow(benchmark::State &state)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    qint64 pixels = 0;
    for (auto _ : state) {
        const QPixmap p = screen->grabWindow(0);
        pixels = qint64(p.width()) * p.height();
        benchmark::DoNotOptimize(pixels);
    }
    state.counters["Mpixels"] = double(pixels) / 1e6;
}

} // namespace

BENCHMARK(BM_freezeAll_shm)->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_freezeAll_getImage)->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QScreen_grabWindow)->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // Preferences are read during a freeze; keep them away from the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QDir(config.path()).filePath("config").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    for (QScreen *s : QGuiApplication::screens())
        std::printf("screen %s %dx%d\n", qPrintable(s->name()), s->size().width(), s->size().height());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
