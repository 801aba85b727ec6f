#include "canvas/ToolbarIcons.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

#include <cmath>

// The pictures are compiled into this static library; register them once.
static void registerResource()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(ToolbarIcons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace ToolbarIcons {

QImage picture(const QString &name, const QColor &color, int points, double pixelScale)
{
    registerResource();
    const int side = std::max(1, int(std::lround(points * pixelScale)));
    QImageReader reader(QStringLiteral(":/toolbar/%1.svg").arg(name));
    reader.setScaledSize(QSize(side, side));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), color);
    p.end();
    image.setDevicePixelRatio(pixelScale);
    return image;
}

QIcon tinted(const QString &name, const QColor &color, int points)
{
    QIcon icon;
    QList<double> scales{1.0, 2.0};
    for (const QScreen *screen : QGuiApplication::screens())
        if (!scales.contains(screen->devicePixelRatio()))
            scales.append(screen->devicePixelRatio());
    for (double scale : scales) {
        const QImage image = picture(name, color, points, scale);
        if (image.isNull())
            return {};
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace ToolbarIcons
