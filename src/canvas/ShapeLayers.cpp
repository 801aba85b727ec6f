#include "canvas/ShapeLayers.h"

#include "document/Palette.h"
#include "export/ShapeRules.h"

#include <QGraphicsPathItem>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>

namespace {
constexpr double boxHitMiterLimit = 4;

// The items are drawn by the owner's container; this one only groups the mosaic's pieces.
class MosaicItem : public QGraphicsItem
{
public:
    MosaicItem() { setFlag(QGraphicsItem::ItemHasNoContents); }
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

QPen roundPen(const QColor &color, double width)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}
} // namespace

MosaicPieceItem::MosaicPieceItem(const QRectF &rect, const QImage &picture, QGraphicsItem *parent)
    : QGraphicsItem(parent)
    , m_rect(rect)
    , m_picture(picture)
{
}

void MosaicPieceItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_picture.isNull())
        return;
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->drawImage(m_rect, m_picture);
}

ShapeLayers::ShapeLayers()
    : halo(new QGraphicsPathItem)
    , fill(new QGraphicsPathItem)
    , mosaic(new MosaicItem)
{
    halo->setBrush(Qt::NoBrush);
    halo->setPen(roundPen(Qt::transparent, 0));
    halo->setVisible(false);
    fill->setPen(roundPen(Qt::transparent, 0));
    mosaic->setVisible(false);
}

ShapeLayers::~ShapeLayers()
{
    delete fill;
    delete halo;
    delete mosaic;
}

void ShapeLayers::addTo(QGraphicsItem *container)
{
    mosaic->setParentItem(container);
    halo->setParentItem(container);
    fill->setParentItem(container);
}

QList<MosaicPieceItem *> ShapeLayers::pieces() const
{
    QList<MosaicPieceItem *> out;
    for (QGraphicsItem *child : mosaic->childItems())
        out << static_cast<MosaicPieceItem *>(child);
    return out;
}

std::optional<RGB> ShapeLayers::outlineColor(const Item &item, const CanvasGeometry &geometry)
{
    return ShapeRules::outlineColor(item, geometry);
}

QRectF ShapeLayers::extent(const Item &item, const std::optional<RGB> &outline, double s)
{
    return ShapeRules::extent(item, outline, s);
}

void ShapeLayers::update(const Item &item, const Markup &markup, const CanvasGeometry &geometry,
                         const ShotImages &images)
{
    const double s = item.scaled(markup.unit);
    const QColor color = ShapeRules::qColor(Palette::color(item.color));
    outline = outlineColor(item, geometry);
    switch (item.kind) {
    case ItemKind::arrow: {
        const QPainterPath path = ShapeRules::arrowPath(item, s);
        fill->setPath(path);
        fill->setBrush(color);
        fill->setPen(roundPen(color, ShapeRules::arrowStroke * s));
        halo->setPath(path);
        halo->setPen(roundPen(halo->pen().color(), (ShapeRules::arrowStroke + 2 * ShapeRules::haloEachSide) * s));
        hitPath = path;
        break;
    }
    case ItemKind::box: {
        const QPainterPath path = ShapeRules::boxPath(item, s);
        fill->setPath(path);
        fill->setBrush(Qt::NoBrush);
        fill->setPen(roundPen(color, ShapeRules::boxStroke * s));
        halo->setPath(path);
        halo->setPen(roundPen(halo->pen().color(), (ShapeRules::boxStroke + 2 * ShapeRules::haloEachSide) * s));
        QPainterPathStroker stroker;
        stroker.setWidth(ShapeRules::boxStroke * s);
        stroker.setCapStyle(Qt::FlatCap);
        stroker.setJoinStyle(Qt::MiterJoin);
        stroker.setMiterLimit(boxHitMiterLimit);
        QPainterPath hit = stroker.createStroke(path);
        hit.setFillRule(Qt::WindingFill);
        hitPath = hit;
        break;
    }
    case ItemKind::redaction:
        updateRedaction(item, markup, images);
        break;
    default:
        break;
    }
    QPen haloPen = halo->pen();
    haloPen.setColor(outline ? ShapeRules::qColor(*outline) : QColor(Qt::transparent));
    halo->setPen(haloPen);
    halo->setVisible(outline.has_value());
    drawnBounds = item.kind == ItemKind::redaction ? markup.visibleRect(item) : extent(item, outline, s);
}

void ShapeLayers::updateRedaction(const Item &item, const Markup &markup, const ShotImages &images)
{
    const QList<Markup::ShotPiece> found = markup.shotPieces(item);
    mosaic->setVisible(!found.isEmpty());
    for (QGraphicsItem *child : mosaic->childItems())
        delete child;
    QPainterPath hit;
    hit.setFillRule(Qt::WindingFill);
    for (const Markup::ShotPiece &piece : found) {
        hit.addRect(piece.rect);
        if (images.isEmpty())
            continue;
        const auto picture = images.constFind(piece.shot.id);
        if (picture == images.constEnd())
            continue;
        new MosaicPieceItem(piece.rect, picture->pixelated(piece.rect.translated(-piece.shot.origin)), mosaic);
    }
    fill->setPath(QPainterPath());
    halo->setPath(QPainterPath());
    outline.reset();
    hitPath = hit;
}
