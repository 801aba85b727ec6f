#include "GripGeometry.h"

#include <algorithm>

std::array<QPointF, 8> gripPoints(const QRectF &r)
{
    const double l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    const double mx = r.center().x(), my = r.center().y();
    return {QPointF(l, t),  QPointF(mx, t), QPointF(rt, t), QPointF(rt, my),
            QPointF(rt, b), QPointF(mx, b), QPointF(l, b),  QPointF(l, my)};
}

QRectF resizedRect(int handle, const QRectF &rect, double dx, double dy, const QRectF &limit, double m)
{
    if (handle < 0 || handle > 7)
        return rect;
    double minX = rect.left(), minY = rect.top(), maxX = rect.right(), maxY = rect.bottom();
    const bool left = handle == 0 || handle == 6 || handle == 7;
    const bool right = handle >= 2 && handle <= 4;
    const bool top = handle <= 2;
    const bool bottom = handle >= 4 && handle <= 6;
    // Each moved edge: the drag kept inside the limit, then kept the minimum away from the
    // opposite edge, then back inside the limit should the minimum have pushed it out.
    if (left)
        minX = std::max(limit.left(), std::min(maxX - m, std::max(limit.left(), minX + dx)));
    if (right)
        maxX = std::min(limit.right(), std::max(minX + m, std::min(limit.right(), maxX + dx)));
    if (top)
        minY = std::max(limit.top(), std::min(maxY - m, std::max(limit.top(), minY + dy)));
    if (bottom)
        maxY = std::min(limit.bottom(), std::max(minY + m, std::min(limit.bottom(), maxY + dy)));
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}
