#pragma once
#include "TextSide.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Room for the comments ("notes") shown with a shot: beside it, or above it when the shot is a
// wide strip. Rectangles are in the caller's view or screen coordinates, y downwards. Lengths
// that belong to the notes are multiplied by the text-size scale k (1 for the standard size).
namespace NoteLayout {

enum class Side { beside, above };

// The first note of a shot: its side relative to its corner (right or aboveLeading), the point
// it is anchored at and its width in whole points.
struct Note {
    TextSide side;
    QPointF corner;
    double width = 0;
};

// A note column: its left edge and its width in whole points.
struct Column {
    double x = 0;
    double width = 0;
};

// Lengths in points, before multiplying by k.
inline constexpr double widestColumn = 520;
inline constexpr double widestAbove = 940;
inline constexpr double narrowestColumn = 340;
inline constexpr double narrowestInside = 200;
inline constexpr double gap = 40;
inline constexpr double largestInset = 32;
inline constexpr double roomAboveBelow = 170;
inline constexpr double published120 = 120; // published; the rules below do not use it
inline constexpr double published150 = 150; // published; the rules below do not use it
inline constexpr double wideRatio = 2.5;
inline constexpr double besidePreference = 0.9;

// Height above 0 and width at least 2.5 times the height.
bool isWide(double width, double height);
// Where a shot's notes go when the shot is shown in the visible size.
Side side(QSizeF shot, QSizeF visible, double extra, double k);
// The rect in which the shot is shown (its size times a scale of at most 1, at least 2 %) so
// that its notes fit too. Every caller passes extra = 60.
QRectF fit(const QRectF &shot, const QRectF &visible, double extra, double k);
// Where the first note of a newly shown shot goes.
Note place(const QRectF &shot, const QRectF &visible, double k);
// A note column starting at x within [left, right], moved left when there is not enough room.
Column column(double x, double left, double right, double k);

} // namespace NoteLayout
