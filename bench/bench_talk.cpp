// Sound work of talking: converting microphone sound for the recognizer, and what the audio
// thread does with each captured buffer.
#include "talk/SoundConverter.h"
#include "talk/SoundLevel.h"
#include "talk/SoundStream.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {
SoundBuffer speechLike(SoundFormat f, qint64 frames, qint64 offset = 0)
{
    SoundBuffer b{f, QByteArray(frames * f.bytesPerFrame(), Qt::Uninitialized)};
    float *p = reinterpret_cast<float *>(b.data.data());
    for (qint64 i = 0; i < frames; ++i) {
        const double t = double(i + offset) / f.sampleRate;
        const float v = float(0.3 * std::sin(2 * M_PI * 180 * t) + 0.1 * std::sin(2 * M_PI * 2400 * t));
        for (int c = 0; c < f.channels; ++c)
            *p++ = v;
    }
    return b;
}
} // namespace

// 48 kHz stereo float in 2048-frame buffers to 16 kHz mono 16-bit. The counter "realtime" is how
// many seconds of sound one second of work converts (the goal is 100 or more).
static void convert48kStereo(benchmark::State &state)
{
    const SoundFormat f{48000, 2, SampleType::float32};
    std::vector<SoundBuffer> buffers;
    for (int i = 0; i < 24; ++i)
        buffers.push_back(speechLike(f, 2048, i * 2048));
    SoundConverter converter;
    qint64 frames = 0;
    for (auto _ : state) {
        for (const SoundBuffer &b : buffers) {
            auto out = converter.convert(b);
            benchmark::DoNotOptimize(out);
            frames += b.frames();
        }
    }
    state.counters["realtime"] = benchmark::Counter(double(frames) / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(convert48kStereo)->Unit(benchmark::kMillisecond);

// The audio thread's work for one 2048-frame buffer: the copy, the level and the push (the
// stream is drained now and then, as the recognizer does). The goal is under 50 µs.
static void tapOneBuffer(benchmark::State &state)
{
    const SoundFormat f{48000, 2, SampleType::float32};
    const SoundBuffer device = speechLike(f, 2048);
    SoundStream stream;
    int queued = 0;
    for (auto _ : state) {
        SoundBuffer copy{device.format, QByteArray(device.data.constData(), device.data.size())};
        const float level = inputLevel(copy);
        benchmark::DoNotOptimize(level);
        stream.put(std::move(copy));
        if (++queued == 64) {
            state.PauseTiming();
            while (queued-- > 0)
                stream.next();
            queued = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(tapOneBuffer)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
