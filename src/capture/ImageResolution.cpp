#include "capture/ImageResolution.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ImageResolution {

namespace {

// Resolutions stored per metre or centimetre come back to whole dots per inch when they were
// made from one (144 dpi is stored as 5669 dots per metre).
double tidy(double dpi)
{
    const double whole = std::round(dpi);
    return std::abs(dpi - whole) < 0.05 ? whole : dpi;
}

class Reader
{
public:
    Reader(const QByteArray &data, qsizetype start = 0, qsizetype end = -1)
        : d(reinterpret_cast<const uchar *>(data.constData())), begin(start), size(end < 0 ? data.size() : end)
    {
    }
    bool has(qsizetype at, qsizetype n) const { return at >= 0 && n >= 0 && begin + at + n <= size; }
    quint32 u8(qsizetype at) const { return d[begin + at]; }
    quint32 u16(qsizetype at, bool little) const
    {
        return little ? u8(at) | u8(at + 1) << 8 : u8(at) << 8 | u8(at + 1);
    }
    quint32 u32(qsizetype at, bool little) const
    {
        return little ? u16(at, true) | u16(at + 2, true) << 16 : u16(at, false) << 16 | u16(at + 2, false);
    }
    bool startsWith(qsizetype at, const char *text, qsizetype n) const
    {
        return has(at, n) && std::memcmp(d + begin + at, text, size_t(n)) == 0;
    }

    const uchar *d;
    qsizetype begin;
    qsizetype size;
};

std::optional<double> fromTiff(const Reader &r)
{
    if (!r.has(0, 8))
        return std::nullopt;
    bool little;
    if (r.startsWith(0, "II*\0", 4))
        little = true;
    else if (r.startsWith(0, "MM\0*", 4))
        little = false;
    else
        return std::nullopt;
    const qsizetype ifd = r.u32(4, little);
    if (!r.has(ifd, 2))
        return std::nullopt;
    const quint32 count = r.u16(ifd, little);
    std::optional<double> resolution;
    quint32 unit = 2; // inches unless the file says otherwise
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype e = ifd + 2 + qsizetype(i) * 12;
        if (!r.has(e, 12))
            break;
        const quint32 tag = r.u16(e, little);
        const quint32 type = r.u16(e + 2, little);
        if (tag == 282 && type == 5) { // XResolution, RATIONAL
            const qsizetype at = r.u32(e + 8, little);
            if (r.has(at, 8) && r.u32(at + 4, little) != 0)
                resolution = double(r.u32(at, little)) / r.u32(at + 4, little);
        } else if (tag == 296 && type == 3) { // ResolutionUnit, SHORT
            unit = r.u16(e + 8, little);
        }
    }
    if (!resolution || *resolution <= 0 || (unit != 2 && unit != 3))
        return std::nullopt;
    return unit == 3 ? tidy(*resolution * 2.54) : *resolution;
}

std::optional<double> fromPng(const Reader &r)
{
    qsizetype at = 8;
    while (r.has(at, 8)) {
        const qsizetype length = r.u32(at, false);
        if (r.startsWith(at + 4, "IDAT", 4) || r.startsWith(at + 4, "IEND", 4))
            return std::nullopt;
        if (r.startsWith(at + 4, "pHYs", 4)) {
            if (length != 9 || !r.has(at + 8, 9) || r.u8(at + 16) != 1) // unit 1: metre
                return std::nullopt;
            const quint32 perMetre = r.u32(at + 8, false);
            if (perMetre == 0)
                return std::nullopt;
            return tidy(perMetre * 0.0254);
        }
        at += 12 + length;
    }
    return std::nullopt;
}

std::optional<double> fromJpeg(const Reader &r)
{
    std::optional<double> exif;
    qsizetype at = 2;
    while (r.has(at, 4) && r.u8(at) == 0xff) {
        const quint32 marker = r.u8(at + 1);
        if (marker == 0xda || marker == 0xd9) // start of scan, end of image
            break;
        const qsizetype length = r.u16(at + 2, false);
        const qsizetype body = at + 4;
        if (marker == 0xe0 && r.startsWith(body, "JFIF\0", 5) && r.has(body, 12)) {
            const quint32 units = r.u8(body + 7);
            const quint32 density = r.u16(body + 8, false);
            if (density > 0 && units == 1)
                return double(density);
            if (density > 0 && units == 2)
                return tidy(density * 2.54);
        } else if (marker == 0xe1 && r.startsWith(body, "Exif\0\0", 6) && !exif) {
            exif = fromTiff(Reader(QByteArray::fromRawData(reinterpret_cast<const char *>(r.d), r.size),
                                   r.begin + body + 6, std::min(r.size, r.begin + at + 2 + length)));
        }
        at += 2 + length;
    }
    return exif;
}

} // namespace

std::optional<double> dotsPerInch(const QByteArray &data)
{
    const Reader r(data);
    if (r.startsWith(0, "\x89PNG\r\n\x1a\n", 8))
        return fromPng(r);
    if (r.startsWith(0, "\xff\xd8", 2))
        return fromJpeg(r);
    return fromTiff(r);
}

} // namespace ImageResolution
