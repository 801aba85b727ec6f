#include "Recents.h"

#include "document/Plane.h"

#include <QPainter>

#include <algorithm>

namespace Recents {
namespace {
constexpr int thumbHeight = 108;
constexpr int thumbMaxWidth = 216;
constexpr int railWidth = 720;
} // namespace

QImage thumbnail(const QImage &picture)
{
    if (picture.isNull())
        return QImage();
    const double drawnWidth = double(picture.width()) * thumbHeight / std::max(picture.height(), 1);
    const int width = std::clamp(int(drawnWidth), 1, thumbMaxWidth);
    QImage thumb(width, thumbHeight, QImage::Format_ARGB32_Premultiplied);
    if (thumb.isNull())
        return QImage();
    thumb.fill(Qt::white);
    const QImage scaled = picture.scaled(std::max(1, qRound(drawnWidth)), thumbHeight,
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&thumb);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF((width - drawnWidth) / 2, 0, drawnWidth, thumbHeight), scaled);
    return thumb;
}

QImage railPicture(const QImage &picture)
{
    if (picture.isNull() || picture.width() <= railWidth)
        return picture;
    const int height = std::max(
        1, int(Plane::roundHalfAway(double(picture.height()) * railWidth / picture.width())));
    return picture.scaled(railWidth, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace Recents
