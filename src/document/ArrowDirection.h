#pragma once
#include <QList>
#include <QPointF>
#include <QRectF>

#include <functional>
#include <optional>

// Which end of a drawn arrow gets the head: the head goes onto a shot rather than beside it,
// to the end nearer to a shot when both lie outside, and to the busier end when both lie on
// shots. Pure computation over rectangles.
namespace ArrowDirection {

// How busy the picture is around a point (higher: busier).
using Score = std::function<double(QPointF)>;

// True when second should carry the head (the drawn order stays), false to swap the ends.
// fallback answers where the rule leaves the choice to the caller; none counts as true. An
// empty score means there are no pictures to compare. factor is the distance (points) within
// which an end counts as on a shot's edge.
bool keepsOrder(const QList<QRectF> &rects, std::optional<bool> fallback, const Score &score,
                QPointF first, QPointF second, double factor);
bool keepsOrder(const QRectF &rect, std::optional<bool> fallback, const Score &score,
                QPointF first, QPointF second, double factor);

} // namespace ArrowDirection
