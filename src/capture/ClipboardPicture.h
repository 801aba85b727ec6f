#pragma once
#include <QImage>

class QMimeData;

// A picture on the clipboard: PNG ("image/png") and TIFF ("image/tiff") data whose resolution
// says how many pixels make one point (72 dpi times the scale), so the picture keeps its size in
// points.
namespace ClipboardPicture {
// The clipboard data for image, or none when it cannot be encoded.
QMimeData *mimeData(const QImage &image, double scale);
// Replaces the clipboard's content with image and logs "export: clipboard " with its pixel size.
// False when the picture cannot be encoded (the clipboard is then left as it was).
bool put(const QImage &image, double scale);
} // namespace ClipboardPicture
