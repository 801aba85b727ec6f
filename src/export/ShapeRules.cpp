#include "export/ShapeRules.h"

#include "document/ArrowShape.h"
#include "document/ArrowStyle.h"
#include "document/Contrast.h"
#include "document/Palette.h"

#include <QColor>

#include <algorithm>

namespace ShapeRules {
namespace {
constexpr int arrowSamples = 28;
constexpr int edgeSamples = 10;
} // namespace

std::optional<RGB> outlineColor(const Item &item, const CanvasGeometry &geometry)
{
    const RGB mark = Palette::color(item.color);
    if (item.kind == ItemKind::arrow)
        return Contrast::outline(geometry.colors(item.tail, item.head, arrowSamples), mark);
    if (item.kind != ItemKind::box)
        return std::nullopt;
    const QRectF r = item.rect;
    const QPointF corners[4] = {{r.left(), r.top()}, {r.right(), r.top()}, {r.right(), r.bottom()},
                                {r.left(), r.bottom()}};
    QList<RGB> samples;
    samples.reserve(4 * edgeSamples);
    for (int i = 0; i < 4; ++i)
        samples << geometry.colors(corners[i], corners[(i + 1) % 4], edgeSamples);
    return Contrast::outline(samples, mark);
}

QRectF extent(const Item &item, const std::optional<RGB> &outline, double s)
{
    const double pad = outline ? haloEachSide * s : 0;
    if (item.kind == ItemKind::arrow) {
        const double grow = arrowStroke / 2 * s + pad + 0.5;
        return arrowPath(item, s).boundingRect().adjusted(-grow, -grow, grow, grow);
    }
    if (item.kind == ItemKind::box) {
        const double grow = boxStroke / 2 * s + pad + 0.5;
        return item.rect.adjusted(-grow, -grow, grow, grow);
    }
    return item.rect;
}

QPainterPath painterPath(const ShapePath &shape)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const ShapePath::Figure &figure : shape.figures) {
        path.moveTo(figure.start);
        for (const ShapePath::Segment &segment : figure.segments) {
            if (segment.kind == ShapePath::Segment::cubic)
                path.cubicTo(segment.c1, segment.c2, segment.to);
            else
                path.lineTo(segment.to);
        }
        if (figure.closed)
            path.closeSubpath();
    }
    return path;
}

QPainterPath arrowPath(const Item &item, double s)
{
    return painterPath(ArrowShape::path(item.tail, item.head, ArrowStyle::forScale(s)));
}

QPainterPath boxPath(const Item &item, double s)
{
    const QRectF r = item.rect;
    const double radius = std::min({6 * s, r.width() / 2, r.height() / 2});
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addRoundedRect(r, radius, radius);
    return path;
}

QColor qColor(const RGB &c, double alpha)
{
    return QColor::fromRgbF(float(c.r), float(c.g), float(c.b), float(alpha));
}

} // namespace ShapeRules
