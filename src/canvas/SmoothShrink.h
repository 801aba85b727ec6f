#pragma once
#include <QImage>
#include <QSize>

// Makes a picture smaller with a linear (tent) filter reaching a pixel of the result to each side:
// every pixel of the result is a weighted mean of the picture's pixels under it and around it, so
// that fine patterns (1-pixel lines, checkerboards, small text) come out as their mean colour
// rather than as a beat of light and dark pixels.
namespace SmoothShrink {
// The picture at the given size (at most its own size in each direction; a larger side is kept).
// The result is premultiplied ARGB32, or RGB32 for an opaque RGB32 picture.
QImage shrunk(const QImage &image, QSize size);
} // namespace SmoothShrink
