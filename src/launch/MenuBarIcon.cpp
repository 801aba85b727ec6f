#include "MenuBarIcon.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

static void initMenuBarIconResource()
{
    // The picture is compiled into this static library; register it once.
    static const bool done = [] {
        Q_INIT_RESOURCE(MenuBarIcon);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
constexpr int iconPoints = 18;
QString &overridePath()
{
    static QString path;
    return path;
}

// The resource rendered at the size, or a null image when it is missing or unreadable.
QImage fromResource(qreal pixelScale)
{
    initMenuBarIconResource();
    const QString path = MenuBarIcon::resourcePath();
    if (!QFile::exists(path))
        return {};
    const int side = qRound(iconPoints * pixelScale);
    const QPixmap pixmap = QIcon(path).pixmap(QSize(side, side), 1.0);
    if (pixmap.isNull())
        return {};
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelScale);
    return image;
}
} // namespace

namespace MenuBarIcon {

QString resourcePath()
{
    return overridePath().isEmpty() ? QStringLiteral(":/MenuBarIcon.svg") : overridePath();
}

void setResourcePathForTesting(const QString &path)
{
    overridePath() = path;
}

QImage drawn(qreal pixelScale)
{
    const int side = qRound(iconPoints * pixelScale);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(pixelScale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Points, with y growing downwards: the frame at the top left, the arrow coming up into it
    // from the bottom right corner.
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 1.5, 10, 9), 2, 2);
    p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.5, 16.5), QPointF(9.5, 9.5));
    QPainterPath head;
    head.moveTo(7, 7);
    head.lineTo(13.2, 8.4);
    head.lineTo(8.4, 13.2);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(head);
    return image;
}

QImage image(qreal pixelScale)
{
    const QImage resource = fromResource(pixelScale);
    return resource.isNull() ? drawn(pixelScale) : resource;
}

QIcon icon()
{
    QIcon result;
    for (qreal scale : {1.0, 2.0}) {
        QPixmap pixmap = QPixmap::fromImage(image(scale));
        pixmap.setDevicePixelRatio(1.0);
        result.addPixmap(pixmap);
    }
    result.setIsMask(true);
    return result;
}

} // namespace MenuBarIcon
