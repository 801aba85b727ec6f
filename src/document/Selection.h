#pragma once
#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

// The geometry of choosing an area on a frozen display, in points.
namespace Selection {

// The rubber band of a drag from start to current. square makes it a square on the larger of the
// two differences (a difference of 0 counts as positive); fromCentre grows it around start, twice
// the drag each way. Not clamped to any bounds.
QRectF rect(QPointF start, QPointF current, bool square, bool fromCentre);

// r moved by delta and then kept inside bounds; a rectangle larger than bounds ends with its far
// edge on the bounds' far edge.
QRectF move(const QRectF &r, QPointF delta, const QRectF &bounds);

// A rectangle in global coordinates with the origin at the top left of the primary screen, in the
// top-left coordinates of a screen whose frame is given with the origin at the bottom left and y
// growing upwards; globalHeight is the primary screen's height.
QRectF inScreen(const QRectF &r, const QRectF &screenFrame, double globalHeight);

// The first rectangle of the list (front to back) holding p; right and bottom edges are outside.
std::optional<QRectF> firstContaining(const QList<QRectF> &rects, QPointF p);

} // namespace Selection
