#include "Contrast.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>

namespace Contrast {

double linear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

namespace {

// A colour's OKLab form and luminance, worked out once from its linear components.
struct Measured {
    Lab lab;
    double luminance = 0;
};

Lab labOfLinear(double r, double g, double b)
{
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

Measured measure(const RGB &c)
{
    const double r = linear(c.r), g = linear(c.g), b = linear(c.b);
    return {labOfLinear(r, g, b), 0.2126 * r + 0.7152 * g + 0.0722 * b};
}

// measure() through a small per-thread memory of recent colours: the canvas asks about the same
// colours on every refresh, and pow and cbrt are the bulk of the work.
Measured measureRemembered(const RGB &c)
{
    struct Entry {
        RGB key;
        Measured value;
        bool used = false;
    };
    thread_local std::array<Entry, 1024> memory{};
    quint64 bits[3];
    static_assert(sizeof(RGB) == sizeof bits);
    std::memcpy(bits, &c, sizeof bits);
    quint64 h = (bits[0] * 0x9E3779B97F4A7C15ull) ^ (bits[1] * 0xC2B2AE3D27D4EB4Full) ^ bits[2];
    h ^= h >> 29;
    Entry &e = memory[size_t(h * 0xBF58476D1CE4E5B9ull >> 54)];
    if (!e.used || !(e.key == c))
        e = {c, measure(c), true};
    return e.value;
}

QList<Measured> measureAll(const QList<RGB> &colors)
{
    QList<Measured> result;
    result.reserve(colors.size());
    for (const RGB &c : colors)
        result.append(measureRemembered(c));
    return result;
}

double labDistance(const Lab &x, const Lab &y)
{
    return std::sqrt((x.L - y.L) * (x.L - y.L) + (x.a - y.a) * (x.a - y.a)
                     + (x.b - y.b) * (x.b - y.b));
}

double luminanceRatio(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

bool close(const Measured &x, const Measured &y)
{
    const double d = labDistance(x.lab, y.lab);
    if (d < 0.22)
        return true;
    if (d >= 0.3)
        return false;
    return luminanceRatio(x.luminance, y.luminance) < 1.7;
}

double busynessOf(const QList<Measured> &colors)
{
    if (colors.size() < 2)
        return 0;
    Lab mean;
    for (const Measured &c : colors) {
        mean.L += c.lab.L;
        mean.a += c.lab.a;
        mean.b += c.lab.b;
    }
    const double n = double(colors.size());
    mean = {mean.L / n, mean.a / n, mean.b / n};
    double total = 0;
    for (const Measured &c : colors)
        total += labDistance(c.lab, mean);
    return total / n;
}

} // namespace

Lab oklab(const RGB &c)
{
    return labOfLinear(linear(c.r), linear(c.g), linear(c.b));
}

double luminance(const RGB &c)
{
    return measure(c).luminance;
}

double distance(const RGB &x, const RGB &y)
{
    return labDistance(oklab(x), oklab(y));
}

double ratio(const RGB &x, const RGB &y)
{
    return luminanceRatio(luminance(x), luminance(y));
}

bool tooClose(const RGB &x, const RGB &y)
{
    return close(measure(x), measure(y));
}

std::optional<RGB> outline(const QList<RGB> &samples, const RGB &mark)
{
    const Measured m = measureRemembered(mark);
    QList<Measured> near;
    for (const Measured &s : measureAll(samples)) {
        if (close(s, m))
            near.append(s);
    }
    if (near.size() < 2)
        return std::nullopt;
    auto separation = [&](const RGB &candidate) {
        const Lab c = measureRemembered(candidate).lab;
        double least = labDistance(c, m.lab);
        for (const Measured &s : near)
            least = std::min(least, labDistance(c, s.lab));
        return least;
    };
    if (separation(RGB::white()) >= 0.6 * separation(RGB::nearBlack()))
        return RGB::white();
    return RGB::nearBlack();
}

std::optional<RGB> areaOutline(const QList<RGB> &samples, const RGB &mark)
{
    if (samples.size() < 3)
        return std::nullopt;
    const Measured m = measureRemembered(mark);
    const QList<Measured> measured = measureAll(samples);
    const auto nearCount = std::count_if(measured.cbegin(), measured.cend(),
                                         [&](const Measured &s) { return close(s, m); });
    const double closeShare = double(nearCount) / double(samples.size());
    if (busynessOf(measured) > 0.09 || closeShare >= 0.15)
        return ratio(mark, RGB::white()) >= 3 ? RGB::white() : RGB::nearBlack();
    return std::nullopt;
}

double busyness(const QList<RGB> &colors)
{
    return busynessOf(measureAll(colors));
}

} // namespace Contrast
