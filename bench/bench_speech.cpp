// Recognition with pocketsphinx on spoken test files made by tests/talk/make_speech_files.sh:
// the decoder's cold load, the real-time factor, the first interim result after speech begins
// when the sound comes at its real pace, and the final words after the input ends.
#include "talk/SoundFile.h"
#include "talk/SphinxEngine.h"
#include "talk/WavReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {
QTemporaryDir &speechFolder()
{
    static QTemporaryDir dir;
    static bool made = QProcess::execute(QStringLiteral(QUILLET_SOURCE_DIR "/tests/talk/make_speech_files.sh"),
                                         {dir.path()}) == 0;
    Q_UNUSED(made);
    return dir;
}

std::vector<SoundBuffer> buffersOf(const QString &path, qint64 frames)
{
    WavReader reader;
    std::vector<SoundBuffer> out;
    if (!reader.open(path))
        return out;
    while (auto b = reader.read(frames)) {
        if (b->frames() == 0)
            break;
        out.push_back(*b);
    }
    return out;
}

// Waits on the main thread until `done` holds.
void pumpUntil(const std::function<bool()> &done)
{
    if (done())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    loop.exec();
}

SphinxEngine &warmEngine()
{
    static SphinxEngine engine;
    static bool warmed = [] {
        engine.warmUp();
        return true;
    }();
    Q_UNUSED(warmed);
    return engine;
}
} // namespace

static void coldLoad(benchmark::State &state)
{
    for (auto _ : state) {
        SphinxEngine engine;
        engine.warmUp();
        while (engine.loadSeconds() == 0)
            QThread::msleep(5);
        state.SetIterationTime(engine.loadSeconds());
    }
}
BENCHMARK(coldLoad)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Unpaced: the 48 kHz stereo file as fast as the decoder takes it. "rtf" is wall seconds per
// second of sound, "rtf_cpu" the process's processor seconds per second of sound (goal under
// 0.3; on a busy machine the wall figure grows with the load, the processor figure does not).
static void realTimeFactor(benchmark::State &state)
{
    SphinxEngine &engine = warmEngine();
    const auto buffers = buffersOf(speechFolder().filePath("hello48k.wav"), 2048);
    double seconds = 0;
    for (const auto &b : buffers)
        seconds += double(b.frames()) / b.format.sampleRate;
    double busy = 0, cpu = 0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        auto sound = std::make_shared<SoundStream>();
        bool ended = false;
        QElapsedTimer timer;
        timer.start();
        engine.recognize(sound, "en-US", {[](const SpeechResult &) {}, [&](const auto &) { ended = true; }});
        for (const auto &b : buffers)
            sound->put(b);
        sound->finish();
        pumpUntil([&] { return ended; });
        busy = timer.nsecsElapsed() / 1e9;
        cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        state.SetIterationTime(busy);
    }
    state.counters["rtf"] = busy / seconds;
    state.counters["rtf_cpu"] = cpu / seconds;
}
BENCHMARK(realTimeFactor)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Paced like a microphone: 2048-frame buffers at 48 kHz, one every 42.7 ms. Reports the time
// from the buffer where speech begins (0.3 s into the file) to the first interim result (goal
// under 1 s), and from the end of the input to the final words (goal under 0.5 s).
static void pacedLatency(benchmark::State &state)
{
    SphinxEngine &engine = warmEngine();
    const auto buffers = buffersOf(speechFolder().filePath("hello48k.wav"), 2048);
    const qint64 onsetBuffer = qint64(0.3 * 48000 / 2048);
    double firstInterim = 0, finalWords = 0;
    for (auto _ : state) {
        auto sound = std::make_shared<SoundStream>();
        QElapsedTimer clock;
        clock.start();
        qint64 onsetAt = -1, firstAt = -1, inputEndAt = -1, endedAt = -1;
        engine.recognize(sound, "en-US",
                         {[&](const SpeechResult &) {
                              if (firstAt < 0)
                                  firstAt = clock.nsecsElapsed();
                          },
                          [&](const auto &) { endedAt = clock.nsecsElapsed(); }});
        for (size_t i = 0; i < buffers.size(); ++i) {
            const qint64 due = qint64(i) * 2048 * 1000000000LL / 48000;
            pumpUntil([&] { return clock.nsecsElapsed() >= due; });
            if (qint64(i) == onsetBuffer)
                onsetAt = clock.nsecsElapsed();
            sound->put(buffers[i]);
        }
        inputEndAt = clock.nsecsElapsed();
        sound->finish();
        pumpUntil([&] { return endedAt >= 0; });
        firstInterim = (firstAt - onsetAt) / 1e9;
        finalWords = (endedAt - inputEndAt) / 1e9;
        state.SetIterationTime(finalWords);
    }
    state.counters["first_interim_s"] = firstInterim;
    state.counters["final_after_end_s"] = finalWords;
}
BENCHMARK(pacedLatency)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
