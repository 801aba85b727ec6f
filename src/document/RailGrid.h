#pragma once
#include <QList>
#include <QRectF>

#include <optional>

// The geometry of the page rail: how wide it may be, how wide its thumbnails are, how many
// columns fit, where every thumbnail goes, and where a keyboard step lands. All lengths are points
// in the rail's document view (origin top left, y down).
namespace RailGrid {

// The rail's width, the width of every thumbnail and the number of columns (at least 1).
struct Shape {
    double width = 0;
    double thumb = 0;
    int columns = 1;
    friend bool operator==(const Shape &, const Shape &) = default;
};

enum class Move { left, right, up, down };

// Constants of the rule.
inline constexpr double minThumb = 96;
inline constexpr double maxThumb = 360;
inline constexpr double margin = 52;      // the rail's width less this is the room for thumbnails
inline constexpr double narrowest = 148;  // minThumb + margin
inline constexpr double canvasRoom = 520; // the window keeps at least this much for the canvas
inline constexpr double gap = 18;         // between columns and between rows
inline constexpr double inset = 16;       // above the first row and left of the centred block
inline constexpr double minRatio = 0.27;
inline constexpr double maxRatio = 15.0 / 11.0;

// The shape for a requested rail width and thumbnail width in a window offering `window` points
// (pass a huge value for no limit). The column count has no upper limit of its own.
Shape columns(double width, double thumb, double window);

// The height of a thumbnail `thumb` wide whose picture has the given height-to-width ratio
// (clamped to minRatio...maxRatio), rounded to a whole point.
double thumbHeight(double thumb, double ratio);

struct Frames {
    QList<QRectF> frames; // one per height, in the same order
    double height = inset; // the grid's height
};

// Lays thumbnails of the given heights out in rows of `columns`, each row as tall as its tallest
// thumbnail with the others centred in it. With a rail `width` the block of columns is centred in
// the room for thumbnails; without one it starts at the inset.
Frames frames(const QList<double> &heights, int columns, std::optional<double> width, double thumb);

// The position a keyboard step from `index` reaches among `count` thumbnails: left and up go one
// back, right and down one on, in display order whatever the number of columns. None at either end
// or for an index outside the list.
std::optional<int> step(int index, Move move, int count);

// The part of `keys` between the first occurrences of `from` and `to`, both included, in list
// order. When `from` is missing but `to` is there: `to` alone. Otherwise nothing.
template <typename Key>
QList<Key> span(const QList<Key> &keys, const Key &from, const Key &to)
{
    const qsizetype a = keys.indexOf(from);
    const qsizetype b = keys.indexOf(to);
    if (a >= 0 && b >= 0)
        return keys.mid(std::min(a, b), std::abs(a - b) + 1);
    if (b >= 0)
        return {to};
    return {};
}

} // namespace RailGrid
