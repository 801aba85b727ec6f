#pragma once
#include <QHash>
#include <QImage>
#include <QRectF>
#include <QUuid>

// The picture of one shot with its density: a point (x, y) of the shot's picture, measured from
// its top-left corner, is the pixel (x * pixelScale, y * pixelScale). Copies share the picture.
struct ShotImage
{
    QImage image;
    double pixelScale = 1; // pixels per point

    // The mosaic of a part of the picture (rect in the picture's points): one pixel per cell,
    // each the area-weighted mean of the picture's pixels under its cell (premultiplied ARGB32).
    // Cells are a quarter of the rect's shorter side, held to 6...14 points. A null image when
    // the rect is under 1 point either way, lies outside the picture, or the scale is unusable.
    QImage pixelated(const QRectF &rect) const;

    // The cell side in points for a piece of that size.
    static double cellPoints(const QSizeF &piece);
    // The mean of each cell when area (whole pixels inside image) is cut into columns × rows
    // equal cells: a box filter weighted by how much of each pixel lies in the cell. A null
    // image for an empty area or a count below 1.
    static QImage cellAverages(const QImage &image, const QRect &area, int columns, int rows);
};

// Shot pictures keyed by the shot's id, as every holder of a page's pictures keeps them.
using ShotImages = QHash<QUuid, ShotImage>;
