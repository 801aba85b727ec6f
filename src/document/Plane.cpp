#include "Plane.h"

#include <algorithm>
#include <cmath>

namespace Plane {

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

QRectF rectFromPoints(QPointF a, QPointF b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
                  std::abs(a.y() - b.y()));
}

double rectDistance(QPointF p, const QRectF &rect)
{
    const QRectF r = rect.normalized();
    const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

double outlineDistance(QPointF p, const QRectF &rect)
{
    const QRectF r = rect.normalized();
    if (contains(r, p))
        return std::min({p.x() - r.left(), r.right() - p.x(), p.y() - r.top(), r.bottom() - p.y()});
    return rectDistance(p, r);
}

bool contains(const QRectF &rect, QPointF p)
{
    const QRectF r = rect.normalized();
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

bool contains(const QRectF &outer, const QRectF &inner)
{
    const QRectF o = outer.normalized();
    const QRectF i = inner.normalized();
    return i.left() >= o.left() && i.right() <= o.right() && i.top() >= o.top()
        && i.bottom() <= o.bottom();
}

QRectF intersection(const QRectF &a, const QRectF &b)
{
    const QRectF r = a.normalized();
    const QRectF s = b.normalized();
    const double left = std::max(r.left(), s.left());
    const double top = std::max(r.top(), s.top());
    const double right = std::min(r.right(), s.right());
    const double bottom = std::min(r.bottom(), s.bottom());
    if (!meets(r, s))
        return QRectF();
    return QRectF(left, top, right - left, bottom - top);
}

bool meets(const QRectF &a, const QRectF &b)
{
    const QRectF r = a.normalized();
    const QRectF s = b.normalized();
    return std::min(r.right(), s.right()) >= std::max(r.left(), s.left())
        && std::min(r.bottom(), s.bottom()) >= std::max(r.top(), s.top());
}

bool overlaps(const QRectF &a, const QRectF &b)
{
    const QRectF r = intersection(a, b);
    return r.width() > 0 && r.height() > 0;
}

QRectF unite(const QRectF &a, const QRectF &b)
{
    if (isNull(a))
        return b.normalized();
    if (isNull(b))
        return a.normalized();
    const QRectF r = a.normalized();
    const QRectF s = b.normalized();
    const double left = std::min(r.left(), s.left());
    const double top = std::min(r.top(), s.top());
    return QRectF(left, top, std::max(r.right(), s.right()) - left,
                  std::max(r.bottom(), s.bottom()) - top);
}

bool isNull(const QRectF &r)
{
    return r.width() == 0 && r.height() == 0;
}

bool isEmpty(const QRectF &r)
{
    return !(r.width() != 0 && r.height() != 0 && std::isfinite(r.width())
             && std::isfinite(r.height()));
}

bool same(QPointF a, QPointF b)
{
    return a.x() == b.x() && a.y() == b.y();
}

bool same(QSizeF a, QSizeF b)
{
    return a.width() == b.width() && a.height() == b.height();
}

bool same(const QRectF &a, const QRectF &b)
{
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

bool isFinite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

bool isFinite(QSizeF s)
{
    return std::isfinite(s.width()) && std::isfinite(s.height());
}

bool isFinite(const QRectF &r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width())
        && std::isfinite(r.height());
}

double roundHalfAway(double v)
{
    return std::round(v); // std::round rounds halves away from zero
}

} // namespace Plane
