#include "CanvasGeometry.h"

#include "ArrowDirection.h"
#include "Contrast.h"
#include "Plane.h"

#include <algorithm>
#include <cmath>

QList<QRectF> CanvasGeometry::rects() const
{
    QList<QRectF> result;
    result.reserve(layers.size());
    for (const Layer &layer : layers)
        result.append(layer.rect);
    return result;
}

bool CanvasGeometry::contains(QPointF p) const
{
    return std::any_of(layers.cbegin(), layers.cend(),
                       [&](const Layer &layer) { return Plane::contains(layer.rect, p); });
}

RGB CanvasGeometry::color(QPointF p) const
{
    for (qsizetype i = layers.size() - 1; i >= 0; --i) {
        const Layer &layer = layers.at(i);
        if (!Plane::contains(layer.rect, p))
            continue;
        const QRectF &frame = layer.imageFrame;
        if (layer.sampler && frame.width() > 0 && frame.height() > 0)
            return layer.sampler->color((p.x() - frame.left()) / frame.width(),
                                        (p.y() - frame.top()) / frame.height());
        return canvasColor;
    }
    return canvasColor;
}

QList<RGB> CanvasGeometry::colors(QPointF from, QPointF to, int count) const
{
    QList<RGB> result;
    if (count <= 0)
        return result;
    if (count == 1) // one point: the start (there is no step between two ends)
        return {color(from)};
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / double(count - 1);
        result.append(color(from + (to - from) * t));
    }
    return result;
}

std::optional<RGB> CanvasGeometry::arrowOutline(const RGB &mark, QPointF tail, QPointF head) const
{
    return Contrast::outline(colors(tail, head, 28), mark);
}

std::optional<RGB> CanvasGeometry::outline(const RGB &mark, const QRectF &rect) const
{
    if (!Plane::isFinite(rect) || !(rect.width() > 0) || !(rect.height() > 0))
        return std::nullopt;
    const bool onLayer = std::any_of(layers.cbegin(), layers.cend(), [&](const Layer &layer) {
        return Plane::meets(layer.rect, rect);
    });
    if (!onLayer)
        return std::nullopt;
    const int columns = int(std::clamp(std::trunc(rect.width() / 12), 4.0, 16.0));
    const int rows = int(std::clamp(std::trunc(rect.height() / 12), 2.0, 6.0));
    QList<RGB> samples;
    for (int j = 0; j <= rows; ++j) {
        for (int k = 0; k <= columns; ++k) {
            const QPointF p(rect.left() + rect.width() * k / columns,
                            rect.top() + rect.height() * j / rows);
            if (contains(p))
                samples.append(color(p));
        }
    }
    return Contrast::areaOutline(samples, mark);
}

double CanvasGeometry::busyness(QPointF p, double radius) const
{
    QList<RGB> grid;
    grid.reserve(25);
    for (int j = -2; j <= 2; ++j) {
        for (int i = -2; i <= 2; ++i)
            grid.append(color(p + QPointF(i * radius / 2, j * radius / 2)));
    }
    return Contrast::busyness(grid);
}

CanvasGeometry::Oriented CanvasGeometry::orientArrow(std::optional<bool> fallback, QPointF first,
                                                     QPointF second, double radius) const
{
    const bool pictured = std::any_of(layers.cbegin(), layers.cend(),
                                      [](const Layer &layer) { return bool(layer.sampler); });
    ArrowDirection::Score score;
    if (pictured)
        score = [this, radius](QPointF p) { return busyness(p, radius); };
    const bool kept = ArrowDirection::keepsOrder(rects(), fallback, score, first, second, 4);
    return kept ? Oriented{first, second, true} : Oriented{second, first, false};
}
