#include "document/Selection.h"

#include <algorithm>
#include <cmath>

namespace Selection {

QRectF rect(QPointF s, QPointF c, bool square, bool fromCentre)
{
    double dx = c.x() - s.x();
    double dy = c.y() - s.y();
    if (square) {
        const double m = std::max(std::abs(dx), std::abs(dy));
        dx = dx < 0 ? -m : m;
        dy = dy < 0 ? -m : m;
    }
    if (fromCentre)
        return QRectF(s.x() - std::abs(dx), s.y() - std::abs(dy), 2 * std::abs(dx), 2 * std::abs(dy));
    return QRectF(std::min(s.x() + dx, s.x()), std::min(s.y() + dy, s.y()), std::abs(dx), std::abs(dy));
}

QRectF move(const QRectF &rIn, QPointF delta, const QRectF &bIn)
{
    const QRectF r = rIn.normalized();
    const QRectF b = bIn.normalized();
    double x = std::max(r.left() + delta.x(), b.left());
    x = std::min(x, b.right() - r.width());
    double y = std::max(r.top() + delta.y(), b.top());
    y = std::min(y, b.bottom() - r.height());
    return QRectF(x, y, r.width(), r.height());
}

QRectF inScreen(const QRectF &rIn, const QRectF &screenFrame, double globalHeight)
{
    const QRectF r = rIn.normalized();
    const QRectF f = screenFrame.normalized();
    // f.bottom() is the frame's maximum y: its top edge in bottom-left coordinates.
    return QRectF(r.left() - f.left(), r.top() - (globalHeight - f.bottom()), r.width(), r.height());
}

std::optional<QRectF> firstContaining(const QList<QRectF> &rects, QPointF p)
{
    for (const QRectF &raw : rects) {
        const QRectF r = raw.normalized();
        if (p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom())
            return raw;
    }
    return std::nullopt;
}

} // namespace Selection
