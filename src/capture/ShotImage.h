#pragma once
#include <QImage>

// A shot's picture and how many of its pixels make one point.
struct ShotImage
{
    QImage image;
    double pixelScale = 1;
};
