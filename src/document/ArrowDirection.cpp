#include "ArrowDirection.h"

#include "Plane.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ArrowDirection {
namespace {

double leastDistance(const QList<QRectF> &rects, QPointF p)
{
    double least = std::numeric_limits<double>::infinity();
    for (const QRectF &r : rects)
        least = std::min(least, Plane::outlineDistance(p, r));
    return least;
}

bool inAny(const QList<QRectF> &rects, QPointF p)
{
    return std::any_of(rects.cbegin(), rects.cend(),
                       [&](const QRectF &r) { return Plane::contains(r, p); });
}

} // namespace

bool keepsOrder(const QList<QRectF> &rects, std::optional<bool> fallback, const Score &score,
                QPointF first, QPointF second, double factor)
{
    const bool fallbackAnswer = fallback.value_or(true);
    if (rects.isEmpty())
        return fallbackAnswer;
    if (fallback && leastDistance(rects, second) < factor)
        return *fallback;
    const bool firstIn = inAny(rects, first);
    const bool secondIn = inAny(rects, second);
    if (secondIn && !firstIn)
        return true;
    if (secondIn && firstIn) {
        if (!score)
            return fallbackAnswer;
        const double s1 = score(first), s2 = score(second);
        if (std::abs(s2 - s1) < 0.05)
            return fallbackAnswer;
        return s1 < s2;
    }
    if (firstIn)
        return false;
    const double m1 = leastDistance(rects, first), m2 = leastDistance(rects, second);
    if (std::abs(m1 - m2) < 3 * factor)
        return fallbackAnswer;
    return m2 < m1;
}

bool keepsOrder(const QRectF &rect, std::optional<bool> fallback, const Score &score,
                QPointF first, QPointF second, double factor)
{
    return keepsOrder(QList<QRectF>{rect}, fallback, score, first, second, factor);
}

} // namespace ArrowDirection
