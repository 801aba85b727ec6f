#include "app/PngWriter.h"

#include <QBuffer>
#include <QImageWriter>

namespace {
// zlib's own default level: a 2880 × 1800 screen of text is under a megabyte and takes about a
// quarter of a second. Level 0 (what a low "compression" asks of Qt's PNG plug-in) stores the
// pixels as they are: twenty megabytes for the same screen.
constexpr int pngQuality = -1;
} // namespace

namespace PngWriter {

bool write(const QImage &picture, QIODevice *device)
{
    if (picture.isNull() || !device)
        return false;
    QImageWriter writer(device, "png");
    writer.setQuality(pngQuality);
    return writer.write(picture);
}

QByteArray encode(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !write(picture, &buffer))
        return QByteArray();
    return bytes;
}

} // namespace PngWriter
