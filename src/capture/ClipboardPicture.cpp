#include "capture/ClipboardPicture.h"

#include "app/ActivityLog.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>

#include <cmath>

namespace {
QByteArray encode(const QImage &image, const char *format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(image) ? data : QByteArray();
}
} // namespace

QMimeData *ClipboardPicture::mimeData(const QImage &image, double scale)
{
    if (image.isNull())
        return nullptr;
    QImage picture = image;
    const int dotsPerMeter = int(std::lround(72.0 * (scale > 0 ? scale : 1) / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    const QByteArray png = encode(picture, "png");
    if (png.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    const QByteArray tiff = encode(picture, "tiff");
    if (!tiff.isEmpty())
        data->setData(QStringLiteral("image/tiff"), tiff);
    return data;
}

bool ClipboardPicture::put(const QImage &image, double scale)
{
    QMimeData *data = mimeData(image, scale);
    if (!data)
        return false;
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    activityLog(QStringLiteral("export: clipboard %1x%2").arg(image.width()).arg(image.height()));
    return true;
}
