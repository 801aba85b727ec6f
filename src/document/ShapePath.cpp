#include "ShapePath.h"

#include <algorithm>

void ShapePath::moveTo(QPointF p)
{
    figures.append(Figure{p, {}, false});
}

void ShapePath::lineTo(QPointF p)
{
    if (figures.isEmpty())
        moveTo(QPointF(0, 0));
    figures.last().segments.append(Segment{Segment::line, {}, {}, p});
}

void ShapePath::cubicTo(QPointF c1, QPointF c2, QPointF to)
{
    if (figures.isEmpty())
        moveTo(QPointF(0, 0));
    figures.last().segments.append(Segment{Segment::cubic, c1, c2, to});
}

void ShapePath::close()
{
    if (!figures.isEmpty())
        figures.last().closed = true;
}

QRectF ShapePath::controlBounds() const
{
    bool first = true;
    double left = 0, top = 0, right = 0, bottom = 0;
    auto take = [&](QPointF p) {
        if (first) {
            left = right = p.x();
            top = bottom = p.y();
            first = false;
            return;
        }
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    };
    for (const Figure &f : figures) {
        take(f.start);
        for (const Segment &s : f.segments) {
            if (s.kind == Segment::cubic) {
                take(s.c1);
                take(s.c2);
            }
            take(s.to);
        }
    }
    return QRectF(left, top, right - left, bottom - top);
}

QList<QList<QPointF>> ShapePath::polygons(int curveSteps) const
{
    QList<QList<QPointF>> result;
    for (const Figure &f : figures) {
        QList<QPointF> points{f.start};
        for (const Segment &s : f.segments) {
            if (s.kind == Segment::line) {
                points.append(s.to);
                continue;
            }
            const QPointF p0 = points.last();
            for (int i = 1; i <= curveSteps; ++i) {
                const double t = double(i) / curveSteps, u = 1 - t;
                points.append(p0 * (u * u * u) + s.c1 * (3 * u * u * t) + s.c2 * (3 * u * t * t)
                              + s.to * (t * t * t));
            }
        }
        result.append(points);
    }
    return result;
}

bool ShapePath::contains(QPointF p) const
{
    int winding = 0;
    for (const QList<QPointF> &poly : polygons()) {
        for (qsizetype i = 0; i < poly.size(); ++i) {
            const QPointF a = poly.at(i);
            const QPointF b = poly.at((i + 1) % poly.size());
            const double cross = (b.x() - a.x()) * (p.y() - a.y()) - (p.x() - a.x()) * (b.y() - a.y());
            if (a.y() <= p.y() && b.y() > p.y() && cross > 0)
                ++winding;
            else if (a.y() > p.y() && b.y() <= p.y() && cross < 0)
                --winding;
        }
    }
    return winding != 0;
}
