#pragma once
#include <QByteArray>

#include <optional>

// The horizontal resolution a picture file states for itself, in dots per inch, read from the
// data as stored (Qt's readers make up 96 dpi where a file states none): PNG pHYs, JPEG JFIF
// density or Exif XResolution, TIFF XResolution. Nothing when the file states no physical
// resolution or is of another kind.
namespace ImageResolution {
std::optional<double> dotsPerInch(const QByteArray &data);
}
