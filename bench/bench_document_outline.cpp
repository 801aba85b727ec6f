// Outline colours of 50 arrows and 20 boxes over a 3840 × 2160 picture: the first decision
// (which builds the picture's sampler) and later ones (sampler kept).
#include "document/CanvasGeometry.h"
#include "document/Palette.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 3840, kHeight = 2160;

// A picture in the app's byte order (B, G, R, A) with bands and blocks of colour.
const std::vector<uchar> &picture()
{
    static const std::vector<uchar> bytes = [] {
        std::vector<uchar> b(size_t(kWidth) * kHeight * 4);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                uchar *p = b.data() + (size_t(y) * kWidth + x) * 4;
                p[0] = uchar((x / 64) * 37);
                p[1] = uchar((y / 48) * 53);
                p[2] = uchar(((x / 200) + (y / 120)) % 2 ? 230 : 40);
                p[3] = 255;
            }
        }
        return b;
    }();
    return bytes;
}

PixelView view()
{
    return {kWidth, kHeight, qsizetype(kWidth) * 4, picture().data(), PixelView::bgra};
}

// The canvas shows the 3840 × 2160 pixel picture as a 1920 × 1080 point shot.
int decideAll(const CanvasGeometry &g)
{
    int outlined = 0;
    for (int i = 0; i < 50; ++i) {
        const QPointF tail(30.0 * i, 20.0 * i), head(1900 - 25.0 * i, 1000 - 15.0 * i);
        outlined += g.arrowOutline(Palette::colors[size_t(i % 6)], tail, head).has_value();
    }
    for (int i = 0; i < 20; ++i) {
        const QRectF box(80.0 * i, 40.0 * i, 300, 160);
        outlined += g.outline(Palette::colors[size_t(i % 6)], box).has_value();
    }
    return outlined;
}

const QRectF kShot(0, 0, 1920, 1080);

void BM_OutlinesFirstCall(benchmark::State &state)
{
    picture();
    for (auto _ : state) {
        const CanvasGeometry g(kShot, kShot, PixelSampler::make(view(), 1280), RGB::white());
        benchmark::DoNotOptimize(decideAll(g));
    }
}
BENCHMARK(BM_OutlinesFirstCall)->Unit(benchmark::kMillisecond);

// The sampler alone: 3840 × 2160 shrinks by a whole-number ratio (3), 2880 × 1800 does not
// (2.25) and blends four pixels for each.
void BM_SamplerBuild(benchmark::State &state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    const PixelView part{w, h, qsizetype(kWidth) * 4, picture().data(), PixelView::bgra};
    for (auto _ : state)
        benchmark::DoNotOptimize(PixelSampler::make(part, 1280));
}
BENCHMARK(BM_SamplerBuild)->Args({3840, 2160})->Args({2880, 1800})->Unit(benchmark::kMillisecond);

void BM_OutlinesLaterCalls(benchmark::State &state)
{
    const CanvasGeometry g(kShot, kShot, PixelSampler::make(view(), 1280), RGB::white());
    for (auto _ : state)
        benchmark::DoNotOptimize(decideAll(g));
}
BENCHMARK(BM_OutlinesLaterCalls)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
