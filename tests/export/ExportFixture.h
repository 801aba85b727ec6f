#pragma once
#include "../capture/SessionFixture.h"
#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QImage>
#include <QRgb>

// Pictures and pages for the export tests.
namespace ExportFixture {
using SessionFixture::pattern;

inline QImage flat(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// A one-shot page showing the whole picture at (0, 0), the picture's pixels per point scale.
struct Page {
    Markup markup;
    ShotImages images;
    QUuid shot() const { return markup.shots.first().id; }
};

inline Page page(const QImage &picture, double scale, const ItemList &items = {})
{
    const QSizeF size(picture.width() / scale, picture.height() / scale);
    Page p{Markup::single(QRectF(QPointF(0, 0), size), size, 1, items), {}};
    p.images.insert(p.shot(), ShotImage{picture, scale});
    return p;
}

// Whether b equals a within rect (pixels) of a placed at offset in b.
inline bool samePixels(const QImage &a, const QImage &b, const QPoint &offset, const QRect &skip = QRect())
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < x.height(); ++row) {
        const auto *l = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *r = reinterpret_cast<const QRgb *>(y.constScanLine(row + offset.y())) + offset.x();
        for (int col = 0; col < x.width(); ++col) {
            if (!skip.contains(col, row) && l[col] != r[col])
                return false;
        }
    }
    return true;
}
} // namespace ExportFixture
