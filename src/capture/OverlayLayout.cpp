#include "capture/OverlayLayout.h"

#include <algorithm>
#include <cmath>

namespace OverlayLayout {

QPointF snapped(QPointF p, double scale)
{
    return {std::round(p.x() * scale) / scale, std::round(p.y() * scale) / scale};
}

QPointF reachingEdges(QPointF p, QSizeF bounds, double scale)
{
    const double pixel = 1 / scale;
    return {p.x() >= bounds.width() - pixel ? bounds.width() : p.x(),
            p.y() >= bounds.height() - pixel ? bounds.height() : p.y()};
}

QString sizeText(QSizeF size, double scale)
{
    const auto w = static_cast<long long>(std::llround(size.width() * scale));
    const auto h = static_cast<long long>(std::llround(size.height() * scale));
    return QStringLiteral("%1 \u00d7 %2").arg(w).arg(h);
}

QString pointerText(QPointF p, double scale)
{
    const auto x = static_cast<long long>(std::floor(p.x() * scale + pixelHair));
    const auto y = static_cast<long long>(std::floor(p.y() * scale + pixelHair));
    return QStringLiteral("%1  %2").arg(x).arg(y);
}

QPointF chipOrigin(const QRectF &r, QSizeF chip, QSizeF bounds)
{
    double x = r.center().x() - chip.width() / 2;
    x = std::max(x, chipMargin);
    x = std::min(x, bounds.width() - chip.width() - chipMargin);
    double y = r.bottom() + chipGap;
    if (y + chip.height() > bounds.height() - chipMargin)
        y = r.bottom() - chip.height() - chipGap;
    return {std::round(x), std::round(y)};
}

QPointF pointerLabelOrigin(QPointF p, QSizeF label, QSizeF bounds)
{
    double x = p.x() + 14;
    if (x + label.width() > bounds.width() - 4)
        x = p.x() - label.width() - 10;
    double y = p.y() + 16;
    if (y + label.height() > bounds.height() - 4)
        y = p.y() - label.height() - 10;
    return {std::round(x), std::round(y)};
}

bool showsHandles(const QRectF &r)
{
    return r.width() >= handleMinSide && r.height() >= handleMinSide;
}

bool isChoice(const QRectF &r)
{
    return r.width() >= minAreaSide && r.height() >= minAreaSide;
}

QRectF pickedWindowRect(const QRectF &hovered, QSize imagePixels, double scale, const QRect &box)
{
    const double width = imagePixels.width() / scale;
    const double height = imagePixels.height() / scale;
    const double topMargin = imagePixels.height() - (box.y() + box.height());
    return {hovered.left() - box.x() / scale, hovered.top() - topMargin / scale, width, height};
}

} // namespace OverlayLayout
