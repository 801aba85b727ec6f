#include "PixelSampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

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

// Blends two pixels as 32-bit words, two 8-bit channels at a time in 16-bit lanes; wb (0...256)
// is the weight of b.
quint32 blend(quint32 a, quint32 b, quint32 wb)
{
    constexpr quint32 lanes = 0x00FF00FF;
    const quint32 wa = 256 - wb;
    const quint32 even = (((a & lanes) * wa + (b & lanes) * wb + 0x00800080) >> 8) & lanes;
    const quint32 odd = ((((a >> 8) & lanes) * wa + ((b >> 8) & lanes) * wb + 0x00800080) >> 8)
        & lanes;
    return even | (odd << 8);
}

// The pixel at x0 of a row blended with the one at x1 (weight wx of 256).
quint32 across2(const uchar *row, size_t x0, size_t x1, quint32 wx)
{
    quint32 a;
    std::memcpy(&a, row + x0, 4);
    if (wx == 0)
        return a;
    quint32 b;
    std::memcpy(&b, row + x1, 4);
    return blend(a, b, wx);
}

// Fills the destination rows [from, to) of a shrunk copy, bilinear at each pixel's centre, as
// R, G, B, A bytes.
void shrinkRows(const PixelView &picture, const Taps &across, const Taps &down, quint32 *dest,
                int from, int to)
{
    const size_t w = across.first.size();
    const bool swapRedBlue = picture.order == PixelView::bgra;
    quint32 *out = dest + size_t(from) * w;
    for (int y = from; y < to; ++y) {
        const uchar *row0 = picture.bits + qsizetype(down.first[size_t(y)]) * picture.bytesPerRow;
        const uchar *row1 = picture.bits + qsizetype(down.second[size_t(y)]) * picture.bytesPerRow;
        const quint32 wy = quint32(down.weight[size_t(y)]);
        for (size_t x = 0; x < w; ++x) {
            const size_t x0 = size_t(across.first[x]) * 4;
            const size_t x1 = size_t(across.second[x]) * 4;
            const quint32 wx = quint32(across.weight[x]);
            quint32 p = across2(row0, x0, x1, wx);
            if (wy != 0) // a whole-number ratio puts every centre on a source pixel: no blend
                p = blend(p, across2(row1, x0, x1, wx), wy);
            if (swapRedBlue) // B, G, R, A in memory (little-endian 0xAARRGGBB) to R, G, B, A
                p = (p & 0xFF00FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu);
            *out++ = p;
        }
    }
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
    const Taps across = tapsFor(picture.width, w);
    const Taps down = tapsFor(picture.height, h);
    quint32 *dest = reinterpret_cast<quint32 *>(sampler->m_data.data());

    // Large pictures are shrunk by a few threads at once, each on its own band of rows.
    const int threads = size_t(w) * size_t(h) >= 250000
        ? std::clamp(int(std::thread::hardware_concurrency()), 1, 4)
        : 1;
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back(shrinkRows, std::cref(picture), std::cref(across), std::cref(down),
                             dest, h * i / threads, h * (i + 1) / threads);
    shrinkRows(picture, across, down, dest, 0, h / threads);
    for (std::thread &t : helpers)
        t.join();
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
    const double scale = 255.0 * count; // one rounding: sum / count / 255 as one quotient
    return {sum[0] / scale, sum[1] / scale, sum[2] / scale};
}
