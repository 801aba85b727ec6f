#pragma once
#include <QHash>
#include <QImage>
#include <QUuid>

// The picture of one shot with its density: a point (x, y) of the shot's picture, measured from
// its top-left corner, is the pixel (x * pixelScale, y * pixelScale). Copies share the picture.
struct ShotImage
{
    QImage image;
    double pixelScale = 1; // pixels per point
};

// Shot pictures keyed by the shot's id, as every holder of a page's pictures keeps them.
using ShotImages = QHash<QUuid, ShotImage>;
