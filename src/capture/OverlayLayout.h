#pragma once
#include "document/GripGeometry.h"
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <array>

// Placement rules of the selection overlay's chrome: the pixel grid, the size chip, the
// coordinate label, the grab handles and where a picked window's picture lies. All geometry is in
// points of the overlay (origin top left); `scale` is pixels per point.
namespace OverlayLayout {
// Gap between the chip and the selection, and the chip's margin to the display's edges.
constexpr double chipGap = 12, chipMargin = 8, chipHeight = 28, chipPadding = 26;
// Side of a grab handle, and the smallest selection side that shows handles.
constexpr double handleSize = 12, handleMinSide = 28;
// A drag starts after this distance; a smaller area is no choice.
constexpr double dragThreshold = 4, minAreaSide = 8;

// A point on the pixel grid times the scale may come out this much off its whole pixel; pixel
// counts allow for it.
constexpr double pixelHair = 1e-6;

// A point snapped to the pixel grid (halves away from zero).
QPointF snapped(QPointF p, double scale);
// The pointer can never go past a display's last pixel: a point on the last pixel row or column
// stands for the display's edge, so that a drag into a corner takes that pixel in.
QPointF reachingEdges(QPointF p, QSizeF bounds, double scale);
// "201 × 100": the rectangle's size in pixels, rounded half away from zero.
QString sizeText(QSizeF size, double scale);
// "x  y": the pixel position of a point, rounded down.
QString pointerText(QPointF p, double scale);
// Origin of a size chip of the given size for selection r inside bounds: centred under r, kept
// 8 pt inside the sides, moved inside r when it would leave the bottom.
QPointF chipOrigin(const QRectF &r, QSizeF chip, QSizeF bounds);
// Origin of the coordinate label for the pointer p: right of and below the pointer, flipped to
// the left or above it within 4 pt of the right or bottom edge.
QPointF pointerLabelOrigin(QPointF p, QSizeF label, QSizeF bounds);
// The eight grip points: top-left, top-middle, top-right, right-middle, bottom-right,
// bottom-middle, bottom-left, left-middle (the canvas's handle order).
using ::gripPoints;
// Whether the handles show for a selection.
bool showsHandles(const QRectF &r);
// Whether an area counts as a choice (at least 8 × 8 pt).
bool isChoice(const QRectF &r);
// Where the whole picture of a picked window (shadow included) lies in the view. `box` is the
// window inside the picture in pixels, measured from the picture's bottom-left corner with y
// upwards. The window's own left and top edges stay on the hovered rectangle's left and top.
QRectF pickedWindowRect(const QRectF &hovered, QSize imagePixels, double scale, const QRect &box);
} // namespace OverlayLayout
