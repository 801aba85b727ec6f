#include "PixelSampler.h"

#include <algorithm>
#include <cmath>

namespace {

// The source's byte offsets of R, G, B and A within a pixel.
struct Channels {
    int r, g, b, a;
};

Channels channelsOf(PixelView::Order order)
{
    return order == PixelView::bgra ? Channels{2, 1, 0, 3} : Channels{0, 1, 2, 3};
}

// For each destination index along one axis: the two source indices to blend and the weight
// (0...256) of the second, sampling at the destination pixel's centre.
struct Taps {
    std::vector<int> first, second, weight;
};

Taps tapsFor(int source, int destination)
{
    Taps taps;
    taps.first.resize(size_t(destination));
    taps.second.resize(size_t(destination));
    taps.weight.resize(size_t(destination));
    const double step = double(source) / destination;
    for (int i = 0; i < destination; ++i) {
        const double at = std::clamp((i + 0.5) * step - 0.5, 0.0, double(source - 1));
        const int lo = int(at);
        taps.first[size_t(i)] = lo;
        taps.second[size_t(i)] = std::min(lo + 1, source - 1);
        taps.weight[size_t(i)] = int(std::lround((at - lo) * 256));
    }
    return taps;
}

// A normalised coordinate as a pixel index, clamped into 0...count - 1; never converts a number
// that is not finite.
int indexOf(double normalised, int count)
{
    const double at = normalised * count;
    if (!(at > 0)) // also not-a-number
        return 0;
    if (at >= count - 1)
        return count - 1;
    return int(at);
}

} // namespace

std::shared_ptr<const PixelSampler> PixelSampler::make(const PixelView &picture, int maxSide)
{
    if (!picture.isValid() || maxSide < 1)
        return nullptr;
    const double scale =
        std::min(double(maxSide) / double(std::max(picture.width, picture.height)), 1.0);
    const int w = std::max(int(scale * picture.width), 1);
    const int h = std::max(int(scale * picture.height), 1);

    std::shared_ptr<PixelSampler> sampler(new PixelSampler(w, h));
    sampler->m_data.resize(size_t(w) * size_t(h) * 4);
    const Channels ch = channelsOf(picture.order);
    const int offsets[4] = {ch.r, ch.g, ch.b, ch.a};
    const Taps across = tapsFor(picture.width, w);
    const Taps down = tapsFor(picture.height, h);

    uchar *out = sampler->m_data.data();
    for (int y = 0; y < h; ++y) {
        const uchar *row0 = picture.bits + qsizetype(down.first[size_t(y)]) * picture.bytesPerRow;
        const uchar *row1 = picture.bits + qsizetype(down.second[size_t(y)]) * picture.bytesPerRow;
        const int wy = down.weight[size_t(y)];
        for (int x = 0; x < w; ++x) {
            const int x0 = across.first[size_t(x)] * 4, x1 = across.second[size_t(x)] * 4;
            const int wx = across.weight[size_t(x)];
            for (int c = 0; c < 4; ++c) {
                const int o = offsets[c];
                const int top = row0[x0 + o] * (256 - wx) + row0[x1 + o] * wx;
                const int bottom = row1[x0 + o] * (256 - wx) + row1[x1 + o] * wx;
                *out++ = uchar((top * (256 - wy) + bottom * wy + 32768) >> 16);
            }
        }
    }
    return sampler;
}

RGB PixelSampler::color(double nx, double ny) const
{
    const int x = indexOf(nx, m_width);
    const int y = indexOf(ny, m_height);
    int sum[3] = {0, 0, 0};
    int count = 0;
    for (int row = std::max(y - 1, 0); row <= std::min(y + 1, m_height - 1); ++row) {
        for (int col = std::max(x - 1, 0); col <= std::min(x + 1, m_width - 1); ++col) {
            const uchar *p = m_data.data() + (size_t(row) * size_t(m_width) + size_t(col)) * 4;
            sum[0] += p[0];
            sum[1] += p[1];
            sum[2] += p[2];
            ++count;
        }
    }
    return {sum[0] / double(count) / 255.0, sum[1] / double(count) / 255.0,
            sum[2] / double(count) / 255.0};
}
