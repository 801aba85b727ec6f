#include "document/WindowEdge.h"

#include <algorithm>

namespace Edge {

std::optional<WindowEdge> fromRaw(int raw)
{
    if (raw < 0 || raw >= noneRaw)
        return std::nullopt;
    return WindowEdge(raw);
}

int toRaw(std::optional<WindowEdge> edge)
{
    return edge ? int(*edge) : noneRaw;
}

QList<WindowEdge> all()
{
    return {WindowEdge::topLeft,    WindowEdge::top,    WindowEdge::topRight,   WindowEdge::right,
            WindowEdge::bottomRight, WindowEdge::bottom, WindowEdge::bottomLeft, WindowEdge::left};
}

bool movesLeft(WindowEdge e)
{
    return e == WindowEdge::topLeft || e == WindowEdge::bottomLeft || e == WindowEdge::left;
}

bool movesRight(WindowEdge e)
{
    return e == WindowEdge::topRight || e == WindowEdge::right || e == WindowEdge::bottomRight;
}

bool movesTop(WindowEdge e)
{
    return e == WindowEdge::topLeft || e == WindowEdge::top || e == WindowEdge::topRight;
}

bool movesBottom(WindowEdge e)
{
    return e == WindowEdge::bottomRight || e == WindowEdge::bottom || e == WindowEdge::bottomLeft;
}

QList<QPair<WindowEdge, QRectF>> zones(double w, double h, double b, double t, double c)
{
    if (!(2 * c < w && 2 * c < h))
        return {};
    return {
        {WindowEdge::left, QRectF(0, c, b, h - 2 * c)},
        {WindowEdge::right, QRectF(w - b, c, b, h - 2 * c)},
        {WindowEdge::bottom, QRectF(c, 0, w - 2 * c, b)},
        {WindowEdge::top, QRectF(c, h - t, w - 2 * c, t)},
        {WindowEdge::bottomLeft, QRectF(0, 0, c, b)},
        {WindowEdge::bottomLeft, QRectF(0, 0, b, c)},
        {WindowEdge::bottomRight, QRectF(w - c, 0, c, b)},
        {WindowEdge::bottomRight, QRectF(w - b, 0, b, c)},
        {WindowEdge::topLeft, QRectF(0, h - t, c, t)},
        {WindowEdge::topLeft, QRectF(0, h - c, b, c)},
        {WindowEdge::topRight, QRectF(w - c, h - t, c, t)},
        {WindowEdge::topRight, QRectF(w - b, h - c, b, c)},
    };
}

QRectF resize(WindowEdge e, bool fromCentre, double limit, bool noLimit, const QRectF &f, QPointF delta,
              QSizeF minimum)
{
    const double k = fromCentre ? 2 : 1;
    const double minX = f.x(), minY = f.y(), maxX = f.x() + f.width(), maxY = f.y() + f.height();
    const double midX = minX + f.width() / 2, midY = minY + f.height() / 2;

    double x = minX, w = f.width();
    if (movesLeft(e) || movesRight(e)) {
        const bool right = movesRight(e);
        w = std::max(minimum.width(), f.width() + k * (right ? delta.x() : -delta.x()));
        x = fromCentre ? midX - w / 2 : (right ? minX : maxX - w);
    }
    double y = minY, h = f.height();
    if (movesTop(e) || movesBottom(e)) {
        const bool top = movesTop(e);
        h = std::max(minimum.height(), f.height() + k * (top ? delta.y() : -delta.y()));
        y = fromCentre ? midY - h / 2 : (top ? minY : maxY - h);
    }
    if (!noLimit && maxY <= limit && y + h > limit) {
        const double excess = y + h - limit;
        if (excess < h - minimum.height())
            h -= excess;
    }
    return QRectF(x, y, w, h);
}

QRectF extend(WindowEdge e, const QRectF &f, const QRectF &t)
{
    const double fMaxX = f.x() + f.width(), fMaxY = f.y() + f.height();
    const double minX = movesLeft(e) ? std::min(f.x(), t.x()) : f.x();
    const double maxX = movesRight(e) ? std::max(fMaxX, t.x() + t.width()) : fMaxX;
    const double minY = movesBottom(e) ? std::min(f.y(), t.y()) : f.y();
    const double maxY = movesTop(e) ? std::max(fMaxY, t.y() + t.height()) : fMaxY;
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

} // namespace Edge

std::optional<WindowEdge> EdgeGrab::edge(QPointF p, QSizeF size, const EdgeGrab &g)
{
    const double x = p.x(), y = p.y(), w = size.width(), h = size.height();
    if (x < -g.outside || y < -g.outside || x > w + g.outside || y > h + g.outside)
        return std::nullopt;
    const bool nearLeft = x < g.inside;
    const bool nearRight = x > w - g.inside;
    const bool nearBottom = y < g.inside;
    const bool nearTop = y > h - g.top;
    if (!(nearLeft || nearRight || nearBottom || nearTop))
        return std::nullopt;
    if ((nearTop && x < g.corner) || (nearLeft && y > h - g.corner))
        return WindowEdge::topLeft;
    if ((nearTop && x > w - g.corner) || (nearRight && y > h - g.corner))
        return WindowEdge::topRight;
    if ((nearBottom && x < g.corner) || (nearLeft && y < g.corner))
        return WindowEdge::bottomLeft;
    if ((nearBottom && x > w - g.corner) || (nearRight && y < g.corner))
        return WindowEdge::bottomRight;
    if (nearTop)
        return WindowEdge::top;
    if (nearBottom)
        return WindowEdge::bottom;
    if (nearLeft)
        return WindowEdge::left;
    return WindowEdge::right;
}

QRectF EdgeGrab::innerRect(QSizeF size, double inside, double top)
{
    return QRectF(inside, inside, std::max(size.width() - 2 * inside, 0.0),
                  std::max(size.height() - inside - top, 0.0));
}
