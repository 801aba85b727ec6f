#pragma once
#include <QPointF>
#include <QRectF>

#include <array>

// The grab handles of a rectangle, shared by the canvas's crop and box grips and the selection
// overlay's handles. Handles are numbered 0 to 7 clockwise from the top-left corner (y grows
// downward): 0 top-left, 1 top, 2 top-right, 3 right, 4 bottom-right, 5 bottom, 6 bottom-left,
// 7 left.

// The eight handle points in handle order.
std::array<QPointF, 8> gripPoints(const QRectF &r);

// The rectangle after dragging one handle by (dx, dy): each moved edge stops at the limit and
// keeps at least minimum from the opposite edge. Where the two conflict (a rectangle already
// smaller than the minimum at the limit's edge) the limit wins, so the result never leaves the
// limit. A handle outside 0 to 7 leaves the rectangle as it is.
QRectF resizedRect(int handle, const QRectF &rect, double dx, double dy, const QRectF &limit, double minimum);
