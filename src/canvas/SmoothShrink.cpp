#include "canvas/SmoothShrink.h"

#include <QColorSpace>
#include <QList>

#include <algorithm>
#include <cmath>

namespace SmoothShrink {

namespace {
constexpr int weightBits = 14;
constexpr int one = 1 << weightBits;

// The source pixels that make up one pixel of the result, with their weights (summing to one).
struct Taps
{
    int first = 0;
    QList<int> weights;
};

// A tent over the source reaching one pixel of the result to each side of its centre, and at
// least 1.5 source pixels: a narrower tent lets a pattern of single pixels through as a beat of
// light and dark bands when the picture is only a little smaller.
QList<Taps> tapsFor(int in, int out)
{
    QList<Taps> all(out);
    const double ratio = double(in) / out; // source pixels per result pixel, at least 1
    const double reach = std::max(ratio, 1.5);
    for (int k = 0; k < out; ++k) {
        const double centre = (k + 0.5) * ratio;
        const int lo = std::max(0, int(std::floor(centre - reach)));
        const int hi = std::min(in - 1, int(std::ceil(centre + reach)));
        QList<double> w;
        double total = 0;
        for (int i = lo; i <= hi; ++i) {
            const double v = std::max(0.0, 1 - std::abs(i + 0.5 - centre) / reach);
            w << v;
            total += v;
        }
        Taps &t = all[k];
        t.first = lo;
        int sum = 0, largest = 0;
        for (qsizetype i = 0; i < w.size(); ++i) {
            const int v = int(std::lround(w[i] / total * one));
            t.weights << v;
            sum += v;
            if (v > t.weights[largest])
                largest = int(i);
        }
        t.weights[largest] += one - sum; // the rounding goes to the heaviest tap
        // Trailing zero weights cost time only.
        while (t.weights.size() > 1 && t.weights.last() == 0)
            t.weights.removeLast();
        while (t.weights.size() > 1 && t.weights.first() == 0) {
            t.weights.removeFirst();
            ++t.first;
        }
    }
    return all;
}

inline quint32 pack(const qint64 *acc)
{
    const auto channel = [](qint64 v) { return quint32(std::clamp<qint64>((v + one / 2) >> weightBits, 0, 255)); };
    return channel(acc[0]) | channel(acc[1]) << 8 | channel(acc[2]) << 16 | channel(acc[3]) << 24;
}
} // namespace

QImage shrunk(const QImage &image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    const QImage::Format format =
        image.format() == QImage::Format_RGB32 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    const QImage source = image.format() == format ? image : image.convertToFormat(format);
    const int inW = source.width(), inH = source.height();
    const int outW = std::min(size.width(), inW), outH = std::min(size.height(), inH);
    const QList<Taps> across = tapsFor(inW, outW), down = tapsFor(inH, outH);

    // Across first, into a picture as high as the source.
    QImage wide(outW, inH, format);
    if (wide.isNull())
        return {};
    for (int y = 0; y < inH; ++y) {
        const auto *in = reinterpret_cast<const quint32 *>(source.constScanLine(y));
        auto *out = reinterpret_cast<quint32 *>(wide.scanLine(y));
        for (int k = 0; k < outW; ++k) {
            const Taps &t = across[k];
            qint64 acc[4] = {0, 0, 0, 0};
            const quint32 *p = in + t.first;
            for (const int w : t.weights) {
                const quint32 c = *p++;
                acc[0] += qint64(c & 0xff) * w;
                acc[1] += qint64((c >> 8) & 0xff) * w;
                acc[2] += qint64((c >> 16) & 0xff) * w;
                acc[3] += qint64(c >> 24) * w;
            }
            out[k] = pack(acc);
        }
    }

    // Then down, a row of sums at a time.
    QImage result(outW, outH, format);
    if (result.isNull())
        return {};
    QList<qint64> acc(qsizetype(outW) * 4);
    for (int k = 0; k < outH; ++k) {
        std::fill(acc.begin(), acc.end(), 0);
        const Taps &t = down[k];
        for (qsizetype j = 0; j < t.weights.size(); ++j) {
            const int w = t.weights[j];
            const auto *in = reinterpret_cast<const quint32 *>(wide.constScanLine(t.first + int(j)));
            qint64 *a = acc.data();
            for (int x = 0; x < outW; ++x, a += 4) {
                const quint32 c = in[x];
                a[0] += qint64(c & 0xff) * w;
                a[1] += qint64((c >> 8) & 0xff) * w;
                a[2] += qint64((c >> 16) & 0xff) * w;
                a[3] += qint64(c >> 24) * w;
            }
        }
        auto *out = reinterpret_cast<quint32 *>(result.scanLine(k));
        for (int x = 0; x < outW; ++x)
            out[x] = pack(acc.constData() + qsizetype(x) * 4);
    }
    result.setColorSpace(source.colorSpace());
    return result;
}

} // namespace SmoothShrink
