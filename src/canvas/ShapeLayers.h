#pragma once
#include "capture/ShotImage.h"
#include "document/CanvasGeometry.h"
#include "document/Item.h"
#include "document/Markup.h"
#include "document/RGB.h"

#include <QGraphicsItem>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include <optional>

class QGraphicsPathItem;

// One pixelated piece of a redaction: its small picture stretched over the piece's rect, each
// picture pixel drawn as a flat block (nearest-neighbour).
class MosaicPieceItem : public QGraphicsItem
{
public:
    MosaicPieceItem(const QRectF &rect, const QImage &picture, QGraphicsItem *parent = nullptr);
    QRectF boundingRect() const override { return m_rect; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override;
    const QImage &picture() const { return m_picture; }

private:
    QRectF m_rect;
    QImage m_picture;
};

// The scene items that draw one arrow, box or redaction on the canvas, with what the rest of the
// canvas needs of that drawing: the outline colour chosen for it, the area it covers (document
// points) and the area that counts as the mark for pointer hits.
//
// The owner puts mosaic, halo and fill into its container in that order (the halo under the mark,
// the mosaic under both). The items are the ShapeLayers' own: they go with it, so it must go
// before the scene that holds them.
class ShapeLayers
{
public:
    ShapeLayers();
    ShapeLayers(const ShapeLayers &) = delete;
    ShapeLayers &operator=(const ShapeLayers &) = delete;
    virtual ~ShapeLayers();

    QGraphicsPathItem *halo = nullptr; // the contrasting outline just outside the mark; never filled
    QGraphicsPathItem *fill = nullptr; // the mark itself
    QGraphicsItem *mosaic = nullptr;   // a redaction's pixelated pieces, one child per piece
    std::optional<RGB> outline;        // none when the mark needs none; always none for redactions
    QRectF drawnBounds;                // stroke and halo included; null until the first update
    std::optional<QPainterPath> hitPath; // what counts as the mark (non-zero winding)

    // Redraws the items for the item as it now is: markup gives the shots and the unit, geometry
    // what lies under each point (for the outline), images the pictures redactions are pixelated
    // from (display copies may stand in for the captured pictures).
    void update(const Item &item, const Markup &markup, const CanvasGeometry &geometry, const ShotImages &images);
    // The children of mosaic, in piece order.
    QList<MosaicPieceItem *> pieces() const;
    // Puts the three items into a container, mosaic lowest.
    void addTo(QGraphicsItem *container);

    static std::optional<RGB> outlineColor(const Item &item, const CanvasGeometry &geometry);
    static QRectF extent(const Item &item, const std::optional<RGB> &outline, double s);

private:
    void updateRedaction(const Item &item, const Markup &markup, const ShotImages &images);
};
