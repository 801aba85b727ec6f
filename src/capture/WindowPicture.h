#pragma once
#include <QImage>
#include <QRect>

// The picture of one window with its shadow, from ScreenFreezer::captureWindow.
struct WindowPicture
{
    QImage image;   // Format_ARGB32_Premultiplied
    double scale = 1;
    // Where the window itself (without its shadow) lies in image, in pixels, measured from the
    // image's BOTTOM-left corner with y growing upwards: box.y() is the depth of the margin under
    // the window, image.height() - box.y() - box.height() the depth of the margin above it.
    QRect box;
};
