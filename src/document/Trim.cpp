#include "Trim.h"

#include "Plane.h"

#include <algorithm>

namespace Trim {

QRectF contentBounds(const QList<QRectF> &rects, const QRectF &base, double margin)
{
    QList<QRectF> marks;
    for (const QRectF &r : rects) {
        if (!Plane::isNull(r) && !Plane::isEmpty(r))
            marks.append(r.normalized());
    }
    const QRectF b = base.normalized();
    double minX = b.left(), minY = b.top(), maxX = b.right(), maxY = b.bottom();
    if (marks.isEmpty())
        return base;

    double leastX = marks.first().left(), leastY = marks.first().top();
    double greatestX = marks.first().right(), greatestY = marks.first().bottom();
    for (const QRectF &r : marks) {
        leastX = std::min(leastX, r.left());
        leastY = std::min(leastY, r.top());
        greatestX = std::max(greatestX, r.right());
        greatestY = std::max(greatestY, r.bottom());
    }
    if (b.left() - 0.5 > leastX)
        minX = leastX - margin;
    if (b.top() - 0.5 > leastY)
        minY = leastY - margin;
    if (b.right() + 0.5 < greatestX)
        maxX = greatestX + margin;
    if (b.bottom() + 0.5 < greatestY)
        maxY = greatestY + margin;

    for (const QRectF &r : marks) {
        if (r.top() < b.top() - 0.5 || r.bottom() > b.bottom() + 0.5) {
            minX = std::min(minX, r.left() - margin);
            maxX = std::max(maxX, r.right() + margin);
        }
    }
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

} // namespace Trim
