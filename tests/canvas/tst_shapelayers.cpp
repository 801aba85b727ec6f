#include "TestEnv.h"

#include "canvas/ShapeLayers.h"
#include "document/ArrowStyle.h"
#include "document/Palette.h"
#include "export/ShapeRules.h"

#include <QPainter>

#include <QGraphicsPathItem>
#include <QPen>

namespace {
const QColor red = QColor::fromRgbF(1.0f, 0.16f, 0.12f);

QImage picture(int w, int h, const QColor &color)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

std::shared_ptr<const PixelSampler> samplerOf(const QImage &img)
{
    return PixelSampler::make(PixelView{img.width(), img.height(), img.bytesPerLine(), img.constBits(), PixelView::bgra});
}

// A geometry of one shot at rect showing img (scale 1).
CanvasGeometry geometryOf(const QRectF &rect, const QImage &img)
{
    return CanvasGeometry(rect, rect, samplerOf(img), RGB{1, 1, 1});
}

Shot shotAt(const QRectF &rect)
{
    return Shot(QUuid::createUuid(), rect.topLeft(), rect.size(), rect);
}
} // namespace

class TestShapeLayers : public QObject
{
    Q_OBJECT

private slots:
    // Stroke widths follow the size: an XL arrow (s = 1.4), an L box (s = 1).
    void strokesFollowTheSize_data()
    {
        QTest::addColumn<Item>("item");
        QTest::addColumn<double>("fillWidth");
        QTest::addColumn<double>("haloWidth");
        QTest::newRow("arrow XL") << Item::arrowFrom(QPointF(10, 10), QPointF(200, 120), 0, 3) << 2.1 << 9.1;
        QTest::newRow("box L") << Item::withRect(ItemKind::box, QRectF(10, 10, 100, 60), 0, 2) << 4.0 << 9.0;
    }
    void strokesFollowTheSize()
    {
        QFETCH(Item, item);
        QFETCH(double, fillWidth);
        QFETCH(double, haloWidth);
        ShapeLayers layers;
        const Markup markup({}, 1, {item});
        layers.update(item, markup, CanvasGeometry({}, RGB{1, 1, 1}), {});
        QVERIFY(qFuzzyCompare(layers.fill->pen().widthF(), fillWidth));
        QVERIFY(qFuzzyCompare(layers.halo->pen().widthF(), haloWidth));
        QCOMPARE(layers.fill->pen().joinStyle(), Qt::RoundJoin);
        QCOMPARE(layers.halo->pen().joinStyle(), Qt::RoundJoin);
        QCOMPARE(layers.halo->brush().style(), Qt::NoBrush);
        QCOMPARE(layers.fill->brush().style(), item.kind == ItemKind::arrow ? Qt::SolidPattern : Qt::NoBrush);
        QCOMPARE(layers.fill->pen().color(), red);
        const ArrowStyle xl = ArrowStyle::forScale(1.4);
        QVERIFY(qFuzzyCompare(xl.shaft, 8.4) && qFuzzyCompare(xl.headLength, 36.4) && qFuzzyCompare(xl.headWidth, 33.6));
    }

    // A thin box's corners are as round as half its width allows; only the frame is hit.
    void boxRadiusAndHitFrame()
    {
        const Item box = Item::withRect(ItemKind::box, QRectF(0, 0, 10, 40), 0, 2);
        ShapeLayers layers;
        layers.update(box, Markup({}, 1, {box}), CanvasGeometry({}, RGB{1, 1, 1}), {});
        QPainterPath expected;
        expected.setFillRule(Qt::WindingFill);
        expected.addRoundedRect(box.rect, 5, 5);
        QCOMPARE(layers.fill->path(), expected);

        const Item big = Item::withRect(ItemKind::box, QRectF(0, 0, 100, 60), 0, 2);
        layers.update(big, Markup({}, 1, {big}), CanvasGeometry({}, RGB{1, 1, 1}), {});
        QVERIFY(layers.hitPath);
        QVERIFY(layers.hitPath->contains(QPointF(50, 1.5)));  // on the frame
        QVERIFY(!layers.hitPath->contains(QPointF(50, 30)));  // inside
        QVERIFY(!layers.hitPath->contains(QPointF(50, -2.5))); // beyond the stroke
    }

    // The outline decides the halo and the drawn bounds: a red box on red gets one (grown 5),
    // on white none (grown 2.5); round a red area on white, its edges see white: none.
    void boxOutlineAndBounds_data()
    {
        QTest::addColumn<QColor>("under");
        QTest::addColumn<bool>("redInside");
        QTest::addColumn<bool>("outlined");
        QTest::addColumn<double>("grow");
        QTest::newRow("red on red") << red << false << true << 5.0;
        QTest::newRow("red on white") << QColor(Qt::white) << false << false << 2.5;
        QTest::newRow("round a red area") << QColor(Qt::white) << true << false << 2.5;
    }
    void boxOutlineAndBounds()
    {
        QFETCH(QColor, under);
        QFETCH(bool, redInside);
        QFETCH(bool, outlined);
        QFETCH(double, grow);
        QImage img = picture(400, 300, under);
        if (redInside)
            QPainter(&img).fillRect(QRect(110, 110, 180, 80), red);
        const Item box = Item::withRect(ItemKind::box, QRectF(100, 100, 200, 100), 0, 2);
        ShapeLayers layers;
        layers.update(box, Markup({}, 1, {box}), geometryOf(QRectF(0, 0, 400, 300), img), {});
        QCOMPARE(layers.outline.has_value(), outlined);
        QCOMPARE(layers.halo->isVisible(), outlined);
        QCOMPARE(layers.drawnBounds, box.rect.adjusted(-grow, -grow, grow, grow));
        if (outlined)
            QCOMPARE(layers.halo->pen().color(), ShapeRules::qColor(*layers.outline));
    }

    void redactionOnNoShot()
    {
        const Item redaction = Item::withRect(ItemKind::redaction, QRectF(10, 10, 50, 50), 0, 2);
        ShapeLayers layers;
        layers.update(redaction, Markup({}, 1, {redaction}), CanvasGeometry({}, RGB{1, 1, 1}), {});
        QVERIFY(!layers.mosaic->isVisible());
        QVERIFY(layers.pieces().isEmpty());
        QVERIFY(layers.hitPath && layers.hitPath->isEmpty());
        QVERIFY(layers.drawnBounds.isNull());
        QVERIFY(!layers.outline);
        QVERIFY(layers.fill->path().isEmpty());
    }

    // Across two shots: one piece on each, from its own picture; without pictures the pieces
    // still count for hits.
    void redactionAcrossTwoShots_data()
    {
        QTest::addColumn<bool>("withPictures");
        QTest::newRow("pictures") << true;
        QTest::newRow("no pictures") << false;
    }
    void redactionAcrossTwoShots()
    {
        QFETCH(bool, withPictures);
        const Shot left = shotAt(QRectF(0, 0, 100, 100));
        const Shot right = shotAt(QRectF(100, 0, 100, 100));
        const Item redaction = Item::withRect(ItemKind::redaction, QRectF(50, 20, 100, 40), 0, 2);
        const Markup markup({left, right}, 1, {redaction});
        ShotImages images;
        if (withPictures) {
            images.insert(left.id, ShotImage{picture(100, 100, Qt::blue), 1});
            images.insert(right.id, ShotImage{picture(200, 200, Qt::green), 2});
        }
        ShapeLayers layers;
        layers.update(redaction, markup, CanvasGeometry({}, RGB{1, 1, 1}), images);
        QVERIFY(layers.mosaic->isVisible());
        QVERIFY(layers.hitPath->contains(QPointF(60, 30)));
        QVERIFY(layers.hitPath->contains(QPointF(140, 30)));
        QCOMPARE(layers.drawnBounds, QRectF(50, 20, 100, 40));
        const QList<MosaicPieceItem *> pieces = layers.pieces();
        if (!withPictures) {
            QVERIFY(pieces.isEmpty());
            return;
        }
        QCOMPARE(pieces.size(), 2);
        QCOMPARE(pieces[0]->boundingRect(), QRectF(50, 20, 50, 40));
        QCOMPARE(pieces[1]->boundingRect(), QRectF(100, 20, 50, 40));
        QCOMPARE(QColor(pieces[0]->picture().pixel(0, 0)), QColor(Qt::blue));
        QCOMPARE(QColor(pieces[1]->picture().pixel(0, 0)), QColor(Qt::green));
        // A new update replaces the pieces.
        layers.update(redaction, markup, CanvasGeometry({}, RGB{1, 1, 1}), images);
        QCOMPARE(layers.pieces().size(), 2);
    }
};

QTEST_MAIN(TestShapeLayers)
#include "tst_shapelayers.moc"
