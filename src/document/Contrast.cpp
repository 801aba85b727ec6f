#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace Contrast {

double linear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Lab oklab(const RGB &c)
{
    const double r = linear(c.r), g = linear(c.g), b = linear(c.b);
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

double luminance(const RGB &c)
{
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

namespace {
double labDistance(const Lab &x, const Lab &y)
{
    return std::sqrt((x.L - y.L) * (x.L - y.L) + (x.a - y.a) * (x.a - y.a)
                     + (x.b - y.b) * (x.b - y.b));
}
} // namespace

double distance(const RGB &x, const RGB &y)
{
    return labDistance(oklab(x), oklab(y));
}

double ratio(const RGB &x, const RGB &y)
{
    const double a = luminance(x), b = luminance(y);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

bool tooClose(const RGB &x, const RGB &y)
{
    const double d = distance(x, y);
    if (d < 0.22)
        return true;
    if (d >= 0.3)
        return false;
    return ratio(x, y) < 1.7;
}

std::optional<RGB> outline(const QList<RGB> &samples, const RGB &mark)
{
    QList<RGB> close;
    for (const RGB &s : samples) {
        if (tooClose(s, mark))
            close.append(s);
    }
    if (close.size() < 2)
        return std::nullopt;
    auto separation = [&](const RGB &candidate) {
        double least = distance(candidate, mark);
        for (const RGB &s : close)
            least = std::min(least, distance(candidate, s));
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
    const auto close = std::count_if(samples.cbegin(), samples.cend(),
                                     [&](const RGB &s) { return tooClose(s, mark); });
    const double closeShare = double(close) / double(samples.size());
    if (busyness(samples) > 0.09 || closeShare >= 0.15)
        return ratio(mark, RGB::white()) >= 3 ? RGB::white() : RGB::nearBlack();
    return std::nullopt;
}

double busyness(const QList<RGB> &colors)
{
    if (colors.size() < 2)
        return 0;
    QList<Lab> labs;
    labs.reserve(colors.size());
    Lab mean;
    for (const RGB &c : colors) {
        const Lab lab = oklab(c);
        labs.append(lab);
        mean.L += lab.L;
        mean.a += lab.a;
        mean.b += lab.b;
    }
    const double n = double(colors.size());
    mean = {mean.L / n, mean.a / n, mean.b / n};
    double total = 0;
    for (const Lab &lab : labs)
        total += labDistance(lab, mean);
    return total / n;
}

} // namespace Contrast
