#pragma once
#include "document/CanvasGeometry.h"
#include "document/Item.h"
#include "document/RGB.h"
#include "document/ShapePath.h"

#include <QPainterPath>
#include <QRectF>

#include <optional>

// The rules by which arrows and boxes are drawn, shared by the canvas's mark layers and the
// export so that a copied picture shows the marks as the canvas does. s is an item's stroke
// unit (Item::scaled of the document's unit).
namespace ShapeRules {

// Line widths in stroke units: an arrow's stroke, a box's stroke, and the halo each side.
constexpr double arrowStroke = 1.5;
constexpr double boxStroke = 4;
constexpr double haloEachSide = 2.5;

// The outline colour a mark needs against what lies under it, or none: an arrow samples 28
// points from tail to head, a box 10 points along each of its four edges (corners twice);
// other kinds never get one.
std::optional<RGB> outlineColor(const Item &item, const CanvasGeometry &geometry);
// The area an arrow or box covers, stroke and halo included, plus half a point; the item's
// rect for other kinds.
QRectF extent(const Item &item, const std::optional<RGB> &outline, double s);

// The arrow's outline (ArrowShape with shaft 6s, head 26s × 24s) and a box's rounded rect
// (radius the least of 6s and half each side), both with the non-zero winding rule.
QPainterPath arrowPath(const Item &item, double s);
QPainterPath boxPath(const Item &item, double s);
QPainterPath painterPath(const ShapePath &shape);

QColor qColor(const RGB &c, double alpha = 1);

} // namespace ShapeRules
