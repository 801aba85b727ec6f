#pragma once
#include <QList>
#include <QPair>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// An edge or corner of a window that a resize drag moves. Frames and points here have y growing
// upwards (a window's origin is its bottom-left corner); callers in Qt's y-down terms convert once.
enum class WindowEdge : int {
    topLeft = 0,
    top = 1,
    topRight = 2,
    right = 3,
    bottomRight = 4,
    bottom = 5,
    bottomLeft = 6,
    left = 7,
};

namespace Edge {
// Stored as a raw value, 8 stands for none; 8 or more (or a negative value) reads back as none.
constexpr int noneRaw = 8;
std::optional<WindowEdge> fromRaw(int raw);
int toRaw(std::optional<WindowEdge> edge);
QList<WindowEdge> all();

bool movesLeft(WindowEdge e);
bool movesRight(WindowEdge e);
bool movesTop(WindowEdge e);
bool movesBottom(WindowEdge e);

// Cursor rectangles in window coordinates: empty unless 2 corner < width and 2 corner < height;
// otherwise the four sides then one zone along each side of every corner (twelve).
QList<QPair<WindowEdge, QRectF>> zones(double width, double height, double band, double top, double corner);

// The frame after dragging edge e by delta from frame, never below minimum; fromCentre grows
// both opposite sides. Unless noLimit, a top that started at or below limit stops there (the
// bottom stays), when that leaves the window above its minimum height.
QRectF resize(WindowEdge e, bool fromCentre, double limit, bool noLimit, const QRectF &frame, QPointF delta,
              QSizeF minimum);

// The frame grown to target on the sides e moves; it never shrinks.
QRectF extend(WindowEdge e, const QRectF &frame, const QRectF &target);
} // namespace Edge

// The zones around a window's edges that start a resize.
struct EdgeGrab {
    double inside = 10; // depth of the band inside the left, right and bottom edges
    double top = 6; // depth of the band inside the top edge
    double corner = 26; // length of a corner zone along each side
    double outside = 4; // how far the zones reach outside the frame

    friend bool operator==(const EdgeGrab &, const EdgeGrab &) = default;

    // The canvas window's zones.
    static EdgeGrab canvas() { return {}; }

    // The edge whose zone holds point (window coordinates, y up), or none.
    static std::optional<WindowEdge> edge(QPointF point, QSizeF windowSize, const EdgeGrab &grab);
    // The part of the window no band covers.
    static QRectF innerRect(QSizeF windowSize, double inside, double top);
};
