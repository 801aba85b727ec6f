// Drawing an export scene into one bitmap: shots, pixelated redactions, arrows and boxes, then
// each comment's plate just before its text.
#include "export/ExportScene.h"

#include "capture/ClipboardPicture.h"
#include "document/OpaqueAlpha.h"
#include "document/Palette.h"
#include "document/Trim.h"
#include "export/ShapeRules.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr double arrowHaloStroke = ShapeRules::arrowStroke + 2 * ShapeRules::haloEachSide;
constexpr double boxHaloStroke = ShapeRules::boxStroke + 2 * ShapeRules::haloEachSide;
constexpr double plateSideGrow = 7;
constexpr double plateTopGrow = 3;
constexpr double plateRadius = 6;
constexpr double plateAlpha = 0.9;

// The whole pixels of a picture under a rect of its points, rounded outward and clipped.
QRect pixelsUnder(const QRectF &points, double scale, const QRect &bounds)
{
    const double l = std::floor(points.left() * scale), t = std::floor(points.top() * scale);
    const double r = std::ceil(points.right() * scale), b = std::ceil(points.bottom() * scale);
    if (!(r > l) || !(b > t) || !std::isfinite(l + t + r + b))
        return QRect();
    const QRectF whole(l, t, r - l, b - t);
    return whole.intersected(QRectF(bounds)).toRect();
}

QRect roundedDeviceRect(const QRectF &r)
{
    const int l = int(std::lround(r.left())), t = int(std::lround(r.top()));
    return QRect(l, t, int(std::lround(r.right())) - l, int(std::lround(r.bottom())) - t);
}

QPen pen(const QColor &color, double width)
{
    QPen p(color, width);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}
} // namespace

QImage ExportScene::render(bool halfSize, std::optional<QSizeF> maxSize, double margin, Failure *why) const
{
    auto fail = [why](Failure f) {
        if (why)
            *why = f;
        return QImage();
    };
    if (why)
        *why = Failure::none;

    // 1–3: the drawn shots, the density, the shots' area.
    QList<Shot> shots;
    QRectF shotArea;
    for (const Shot &shot : markup.shots) {
        if (!drawable(shot))
            continue;
        shots << shot;
        shotArea = shotArea.isNull() ? shot.rect : shotArea.united(shot.rect);
    }
    const double u = exactScale(false);
    const double g = halfSize ? u / 2 : u;
    if (shots.isEmpty() || !(g > 0))
        return fail(Failure::nothing);

    // 4: the content, out to the marks that stick out plus the margin.
    const QRectF content = Trim::contentBounds(bounds, shotArea, margin / g);

    // 5: output pixels per point.
    double t = g;
    if (maxSize) {
        const double cw = std::max(content.width(), 1.0), ch = std::max(content.height(), 1.0);
        const double fill = std::max(maxSize->width() / cw, maxSize->height() / ch);
        const double cap = 4 * std::max(maxSize->width(), maxSize->height()) / std::max(cw, ch);
        t = std::min({cap, fill, g});
    }
    if (!(t > 0) || !std::isfinite(t))
        return fail(Failure::nothing);

    // 6: the pixel grid, with the first shot's top-left corner on a pixel corner. The far sides
    // are measured from that snapped origin so that nothing on them is cut.
    const QRectF first = shots.first().rect;
    const double dx = std::ceil(t * (first.left() - content.left()) - 1e-9);
    const double dy = std::ceil(t * (first.top() - content.top()) - 1e-9);
    const QPointF origin(first.left() - dx / t, first.top() - dy / t);
    const double w = std::ceil(t * (content.right() - origin.x()) - 1e-9);
    const double h = std::ceil(t * (content.bottom() - origin.y()) - 1e-9);
    if (!(w >= 1) || !(h >= 1))
        return fail(Failure::nothing);
    if (w > ClipboardPicture::maxSide || h > ClipboardPicture::maxSide || w * h > double(ClipboardPicture::maxPixels))
        return fail(Failure::tooLarge);

    // 7: the bitmap, white, canvas points mapped to pixels.
    QImage out(int(w), int(h), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return fail(Failure::nothing);
    out.fill(Qt::white);
    QPainter painter(&out);
    const QTransform toPixels = QTransform::fromScale(t, t).translate(-origin.x(), -origin.y());
    auto device = [&](const QRectF &points) { return toPixels.mapRect(points); };
    QList<QRect> opaqueShots; // where RGB32 pictures were drawn, in pixels

    // 8: shots. One at the output density is copied pixel for pixel at whole-pixel places;
    // a shrunk one is area-averaged first; an enlarged one is drawn smoothed.
    for (const Shot &shot : shots) {
        const ShotImage &whole = images[shot.id];
        const ShotImage *source = &whole;
        if (maxSize) {
            const auto copy = smaller.constFind(shot.id);
            if (copy != smaller.constEnd() && !copy->image.isNull() && std::isfinite(copy->pixelScale)
                && copy->pixelScale >= t && copy->pixelScale < whole.pixelScale)
                source = &*copy;
        }
        const ShotImage &picture = *source;
        const double ps = picture.pixelScale;
        const QRect crop = pixelsUnder(shot.rect.translated(-shot.origin), ps, picture.image.rect());
        if (crop.isEmpty())
            continue;
        const QRectF cropPoints(shot.origin.x() + crop.x() / ps, shot.origin.y() + crop.y() / ps,
                                crop.width() / ps, crop.height() / ps);
        const QRect clip = roundedDeviceRect(device(shot.rect));
        const QRectF target = device(cropPoints);
        painter.save();
        painter.setTransform(QTransform());
        painter.setClipRect(clip);
        // Pictures are drawn into explicit pixel rects: a picture that carries a device pixel
        // ratio for the screen (an overlay's frozen display) must not be drawn at its size in
        // points.
        if (std::abs(t - ps) < 1e-9) {
            const QPoint at(int(std::lround(target.x())), int(std::lround(target.y())));
            painter.drawImage(QRect(at, crop.size()), picture.image, crop);
        } else if (t < ps) {
            const QRect place = roundedDeviceRect(target);
            if (!place.isEmpty()) {
                const QImage cropped = crop == picture.image.rect() ? picture.image : picture.image.copy(crop);
                const QImage shrunk = cropped.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                painter.drawImage(place, shrunk, shrunk.rect());
            }
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(target, picture.image, QRectF(crop));
        }
        painter.restore();
        if (picture.image.format() == QImage::Format_RGB32)
            opaqueShots << (clip & target.toAlignedRect() & out.rect());
    }
    // An opaque picture is copied with whatever its fourth byte holds; under it the export is
    // opaque whatever that byte was.
    if (!opaqueShots.isEmpty()) {
        painter.end();
        for (const QRect &under : std::as_const(opaqueShots))
            if (!under.isEmpty())
                OpaqueAlpha::set(out.scanLine(under.top()) + size_t(under.left()) * 4, under.width(), under.height(),
                                 out.bytesPerLine());
        painter.begin(&out);
    }

    painter.setTransform(toPixels);

    // 9: redactions, each piece a mosaic of its own shot's picture, blocks drawn flat.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const Item &item : markup.items) {
        if (item.kind != ItemKind::redaction)
            continue;
        for (const Markup::ShotPiece &piece : markup.shotPieces(item)) {
            if (!drawable(piece.shot))
                continue;
            const QRectF local = piece.rect.translated(-piece.shot.origin);
            if (local.width() < 1 || local.height() < 1)
                continue;
            const QImage small = images[piece.shot.id].pixelated(local);
            if (!small.isNull())
                painter.drawImage(piece.rect, small);
        }
    }

    // 10: arrows and boxes, each on its outline.
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const Item &item : markup.items) {
        if (item.kind != ItemKind::arrow && item.kind != ItemKind::box)
            continue;
        const double s = item.scaled(markup.unit);
        const QColor color = ShapeRules::qColor(Palette::color(item.color));
        const auto outline = outlines.constFind(item.id);
        if (item.kind == ItemKind::arrow) {
            const QPainterPath path = ShapeRules::arrowPath(item, s);
            if (outline != outlines.constEnd())
                painter.strokePath(path, pen(ShapeRules::qColor(*outline), arrowHaloStroke * s));
            painter.fillPath(path, color);
            painter.strokePath(path, pen(color, ShapeRules::arrowStroke * s));
        } else {
            const QPainterPath path = ShapeRules::boxPath(item, s);
            if (outline != outlines.constEnd())
                painter.strokePath(path, pen(ShapeRules::qColor(*outline), boxHaloStroke * s));
            painter.strokePath(path, pen(color, ShapeRules::boxStroke * s));
        }
    }

    // 11: texts, each plate just before its own text.
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const auto &layout : texts) {
        if (!layout)
            continue;
        const auto item = markup.item(layout->itemID());
        if (!item)
            continue;
        const double s = item->scaled(markup.unit);
        const auto plate = plates.constFind(item->id);
        if (plate != plates.constEnd()) {
            QPainterPath path;
            path.setFillRule(Qt::WindingFill);
            path.addRoundedRect(layout->textRect().adjusted(-plateSideGrow * s, -plateTopGrow * s, plateSideGrow * s,
                                                            plateTopGrow * s),
                                plateRadius * s, plateRadius * s);
            painter.fillPath(path, ShapeRules::qColor(*plate, plateAlpha));
        }
        layout->draw(painter);
    }
    painter.end();
    return out;
}
