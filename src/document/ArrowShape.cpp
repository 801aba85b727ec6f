#include "ArrowShape.h"

#include <algorithm>
#include <cmath>

namespace ArrowShape {
namespace {

// Points in the arrow's own frame: s along the arrow from the tail, t across it.
struct Frame {
    QPointF tail;
    QPointF u; // unit direction, tail to head
    QPointF v; // unit normal
    QPointF at(double s, double t) const { return tail + u * s + v * t; }
};

// The magic number for a quarter circle drawn as one cubic.
constexpr double kQuarter = 0.5522847498307936;

// A round-capped band from s = from to s = to, r to either side, turning the same way round as
// the head polygon so that the non-zero rule fills their overlap.
void addCapsule(ShapePath &path, const Frame &f, double from, double to, double r)
{
    path.moveTo(f.at(from, -r));
    path.lineTo(f.at(to, -r));
    path.cubicTo(f.at(to + kQuarter * r, -r), f.at(to + r, -kQuarter * r), f.at(to + r, 0));
    path.cubicTo(f.at(to + r, kQuarter * r), f.at(to + kQuarter * r, r), f.at(to, r));
    path.lineTo(f.at(from, r));
    path.cubicTo(f.at(from - kQuarter * r, r), f.at(from - r, kQuarter * r), f.at(from - r, 0));
    path.cubicTo(f.at(from - r, -kQuarter * r), f.at(from - kQuarter * r, -r), f.at(from, -r));
    path.close();
}

// The head polygon: tip, one barb, the notch, the other barb.
void addHead(ShapePath &path, QPointF head, QPointF base, QPointF notch, QPointF across)
{
    path.moveTo(head);
    path.lineTo(base + across);
    path.lineTo(notch);
    path.lineTo(base - across);
    path.close();
}

} // namespace

ShapePath path(QPointF tail, QPointF head, const ArrowStyle &style)
{
    const double dx = head.x() - tail.x();
    const double dy = head.y() - tail.y();
    double length = std::hypot(dx, dy);
    if (!(length > 0.001))
        length = 0.001;
    const double m = std::min(0.62 * length, style.headLength);
    const double w = style.headLength > 0 ? style.headWidth * (m / style.headLength) : 0;
    const double h = 0.5 * w;
    const QPointF u(dx / length, dy / length);
    const QPointF v(-u.y(), u.x());
    const QPointF base = head - u * m;
    const QPointF notch = head - u * (0.78 * m);

    ShapePath result;
    const double shaftLength = length - 0.78 * m;
    if (!(shaftLength > 0.5)) {
        addHead(result, head, base, notch, v * h);
        return result;
    }

    const Frame f{tail, u, v};
    const double r = 0.5 * std::min(0.6 * w, style.shaft);
    // The shaft's round end at the notch stays inside the head when the notch lies at least r
    // from the head's front edges; then the union's outline is one figure.
    const double notchToFront = 0.78 * m * h / std::hypot(m, h);
    if (r <= 0 || r >= h || notchToFront < r) {
        addHead(result, head, base, notch, v * h);
        if (r > 0)
            addCapsule(result, f, 0, shaftLength, r);
        return result;
    }

    // Where the shaft's sides cross the back edges of the barbs.
    const double sideCross = (length - m) + 0.22 * m * (1 - r / h);
    result.moveTo(head);
    result.lineTo(f.at(length - m, h));
    result.lineTo(f.at(sideCross, r));
    result.lineTo(f.at(0, r));
    result.cubicTo(f.at(-kQuarter * r, r), f.at(-r, kQuarter * r), f.at(-r, 0));
    result.cubicTo(f.at(-r, -kQuarter * r), f.at(-kQuarter * r, -r), f.at(0, -r));
    result.lineTo(f.at(sideCross, -r));
    result.lineTo(f.at(length - m, -h));
    result.close();
    return result;
}

} // namespace ArrowShape
