#pragma once
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Measuring points and rectangles of the canvas plane (origin top left, y downwards).
//
// Qt's own operator== on QPointF, QSizeF and QRectF is fuzzy; documents compare exactly, through
// same(). Rectangle tests here follow one rule: a point lies in a rectangle when
// minX <= x < maxX and minY <= y < maxY (the maximum edges do not belong to it), and rectangles
// with a negative width or height are read as their normalised form.
//
// The null rectangle (no area at all, the result of uniting nothing) is QRectF(): a rectangle
// without width and height. unite() skips it; intersection() returns it when rectangles do not
// meet.
namespace Plane {

double distance(QPointF a, QPointF b);

// The rectangle spanned by two opposite corners; its size is never negative.
QRectF rectFromPoints(QPointF a, QPointF b);

// Distance from a point to the nearest point of the rectangle; 0 inside.
double rectDistance(QPointF p, const QRectF &r);

// Distance from a point to the rectangle's outline: inside (see contains), the distance to the
// nearest edge; otherwise rectDistance.
double outlineDistance(QPointF p, const QRectF &r);

// Whether the point lies in the rectangle (minimum edges inclusive, maximum edges exclusive).
bool contains(const QRectF &r, QPointF p);

// Whether inner lies wholly inside outer, edges included.
bool contains(const QRectF &outer, const QRectF &inner);

// The common part of two rectangles: the null rectangle when they do not meet; a rectangle
// of zero width or height when they only touch.
QRectF intersection(const QRectF &a, const QRectF &b);

// Whether the rectangles meet at all (touching edges or corners included).
bool meets(const QRectF &a, const QRectF &b);

// Whether the rectangles share an area of positive width and height.
bool overlaps(const QRectF &a, const QRectF &b);

// The smallest rectangle holding both; the null rectangle counts as nothing.
QRectF unite(const QRectF &a, const QRectF &b);

bool isNull(const QRectF &r);
// A rectangle without area: zero (or non-finite) width or height.
bool isEmpty(const QRectF &r);

// Exact comparisons (no fuzz).
bool same(QPointF a, QPointF b);
bool same(QSizeF a, QSizeF b);
bool same(const QRectF &a, const QRectF &b);

// All coordinates are finite numbers.
bool isFinite(QPointF p);
bool isFinite(QSizeF s);
bool isFinite(const QRectF &r);

// Rounds to the nearest whole number, halves away from zero.
double roundHalfAway(double v);

} // namespace Plane
