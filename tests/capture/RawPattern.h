#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <QtGui/qrgb.h>

#include <cstdint>

// The test pattern the capture helpers paint, and what a picture of it must hold. Blocks of 24
// pixels in flat colours, with the lowest bits of red and green counting x and y, so that a
// shifted or scaled copy shows, and a thumbnail still has a colour to find in each block.
namespace RawPattern {

constexpr int block = 24;

// The colour of the pattern's pixel (x, y), measured from the window's top-left corner.
inline QRgb colour(int x, int y)
{
    const int bx = x / block, by = y / block;
    return qRgb(40 + (bx * 53) % 170 + (x & 3) * 4, 40 + (by * 71) % 170 + (y & 3) * 4, 40 + ((bx + by) * 37) % 170);
}

// The colour of a block's middle, where a shrunk copy of the pattern is flat enough to compare.
inline QRgb blockColour(int bx, int by)
{
    return qRgb(40 + (bx * 53) % 170 + 6, 40 + (by * 71) % 170 + 6, 40 + ((bx + by) * 37) % 170);
}

// What the raw helper writes into the fourth byte of a row's pixels, which X leaves undefined for
// a depth-24 window: always 0x00 (as xcb, Xlib and cairo programs and the root background leave
// it), or garbage that changes from row to row (as some servers give it back).
enum class Pad { zero, garbage };

inline uint8_t padByte(Pad pad, int y)
{
    return pad == Pad::zero ? 0 : uint8_t(0x37 + 29 * y);
}

inline QString padName(Pad pad)
{
    return pad == Pad::zero ? QStringLiteral("zero") : QStringLiteral("garbage");
}

// The pattern's pixels of an area of the screen, for a pattern window whose inside is window.
inline QImage expected(const QRect &window, const QRect &area)
{
    QImage out(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = colour(area.x() + x - window.x(), area.y() + y - window.y());
    }
    return out;
}

// The first pixel where a picture differs from the expected (opaque) one in colour, or where it
// is not opaque; empty when there is none. The 32-bit formats are read as their bytes stand, so
// an RGB32 picture whose fourth byte is not 0xff counts as see-through.
inline QString firstDifference(const QImage &picture, const QImage &expected)
{
    if (picture.size() != expected.size())
        return QStringLiteral("size %1x%2, not %3x%4")
            .arg(picture.width()).arg(picture.height()).arg(expected.width()).arg(expected.height());
    const auto asStored = [](const QImage &i) {
        const QImage::Format f = i.format();
        return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied
            ? i
            : i.convertToFormat(QImage::Format_ARGB32);
    };
    const QImage p = asStored(picture), e = asStored(expected);
    for (int y = 0; y < p.height(); ++y) {
        const auto *got = reinterpret_cast<const QRgb *>(p.constScanLine(y));
        const auto *want = reinterpret_cast<const QRgb *>(e.constScanLine(y));
        for (int x = 0; x < p.width(); ++x)
            if (got[x] != want[x])
                return QStringLiteral("pixel %1,%2 is #%3, not #%4")
                    .arg(x).arg(y).arg(got[x], 8, 16, QLatin1Char('0')).arg(want[x], 8, 16, QLatin1Char('0'));
    }
    return {};
}

} // namespace RawPattern
