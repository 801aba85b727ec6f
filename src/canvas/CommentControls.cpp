#include "canvas/CommentControls.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace CommentControls {
namespace {
constexpr double side = 22;

QHash<QString, QImage> &cache()
{
    static QHash<QString, QImage> icons;
    return icons;
}

int &drawn()
{
    static int count = 0;
    return count;
}

// A bin about 12 pt high in one colour: lid with handle, a body narrowing downward, three cuts.
QImage binPicture(const QColor &tint, double scale)
{
    const QSizeF size(11, 12);
    QImage image(qCeil(size.width() * scale), qCeil(size.height() * scale), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(3.8, 0, 3.4, 2.2), 0.8, 0.8);             // handle
    shape.addRoundedRect(QRectF(0, 1.6, 11, 1.6), 0.7, 0.7);              // lid
    QPainterPath body;
    body.moveTo(1.2, 4);
    body.lineTo(9.8, 4);
    body.lineTo(9.0, 11.2);
    body.quadTo(8.9, 12, 8.1, 12);
    body.lineTo(2.9, 12);
    body.quadTo(2.1, 12, 2.0, 11.2);
    body.closeSubpath();
    QPainterPath cuts;
    for (double x : {3.5, 5.5, 7.5}) {
        cuts.addRoundedRect(QRectF(x - 0.45, 5.5, 0.9, 5), 0.45, 0.45);
    }
    shape.addPath(body.subtracted(cuts));
    p.fillPath(shape.simplified(), Qt::black);
    // The colour goes on where the shape is, nowhere else.
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(QRectF(QPointF(), size), tint);
    return image;
}
} // namespace

std::optional<Part> hit(const Layout &layout, QPointF point)
{
    // Minimum edges inside, maximum edges outside.
    const auto inside = [point](const QRectF &r) {
        return point.x() >= r.left() && point.x() < r.right() && point.y() >= r.top() && point.y() < r.bottom();
    };
    const QRectF &g = layout.grip;
    if (inside(QRectF(g.left(), g.top() - 6, g.width() + 12, g.height() + 16)))
        return Part::grip;
    const QRectF &t = layout.trash;
    if (inside(QRectF(t.left() - 6, t.top() - 6, t.width() + 6, t.height() + 12)))
        return Part::trash;
    return std::nullopt;
}

QString iconKey(Part part, bool hover, double scale)
{
    QString number = QString::number(scale, 'g', 6);
    if (!number.contains(QLatin1Char('.')) && !number.contains(QLatin1Char('e')))
        number += QStringLiteral(".0");
    return QStringLiteral("%1-%2-%3")
        .arg(part == Part::trash ? QStringLiteral("trash") : QStringLiteral("grip"),
             hover ? QStringLiteral("true") : QStringLiteral("false"), number);
}

QImage icon(Part part, bool hover, double scale)
{
    const QString key = iconKey(part, hover, scale);
    if (const auto found = cache().constFind(key); found != cache().constEnd())
        return *found;
    const int n = int(std::lround(side * scale));
    if (n <= 0)
        return {};
    QImage image(n, n, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(1, 1, 1, hover ? 0.95f : 0.8f));
    p.drawEllipse(QRectF(0, 0, side, side));
    if (part == Part::grip) {
        const float grey = hover ? 0.3f : 0.6f;
        p.setBrush(QColor::fromRgbF(grey, grey, grey));
        for (double x : {6.9, 11.9}) {
            for (double y : {4.4, 9.4, 14.4})
                p.drawEllipse(QRectF(x, y, 3.2, 3.2));
        }
    } else {
        const QColor tint = hover ? QColor(255, 59, 48) : QColor::fromRgbF(0.6f, 0.6f, 0.6f);
        const QImage bin = binPicture(tint, scale);
        const QSizeF size = bin.deviceIndependentSize();
        p.drawImage(QPointF((side - size.width()) / 2, (side - size.height()) / 2), bin);
    }
    p.end();
    ++drawn();
    cache().insert(key, image);
    return image;
}

int iconsDrawn()
{
    return drawn();
}
} // namespace CommentControls
