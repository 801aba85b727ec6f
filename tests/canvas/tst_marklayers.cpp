#include "CanvasFixture.h"

#include "TestEnv.h"

#include "../capture/SessionFixture.h"

#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "document/Palette.h"
#include "export/ShapeRules.h"
#include "platform/fake/FakeScheduler.h"

#include <QGraphicsPathItem>
#include <QPainter>

namespace {
const QColor red = QColor::fromRgbF(1.0f, 0.16f, 0.12f);
const QColor grey(128, 128, 128);

// 400 × 300: the left half red, the right half a black and white checkerboard of single pixels.
QImage twoHalves()
{
    QImage img(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x)
            img.setPixel(x, y, x < 200 ? red.rgb() : ((x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0)));
    }
    return img;
}

std::shared_ptr<const PixelSampler> samplerOf(const QImage &img)
{
    return PixelSampler::make(PixelView{img.width(), img.height(), img.bytesPerLine(), img.constBits(), PixelView::bgra});
}
} // namespace

// The drawings of the document's shots and items, kept in step by the refresh.
class TestMarkLayers : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;
    Shot shot;
    QImage picture;

    // One shot at (0, 0) showing twoHalves, with the given items.
    void setPage(const QList<Item> &items)
    {
        picture = twoHalves();
        shot = Shot(QUuid::createUuid(), QPointF(0, 0), QSizeF(400, 300), QRectF(0, 0, 400, 300));
        c->markup = Markup({shot}, 1, ItemList(items));
        c->images = {{shot.id, ShotImage{picture, 1}}};
        c->samplers.insert(shot.id, samplerOf(picture));
        c->refresh(true);
    }

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1000, 700), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        QVERIFY(c);
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    // Unchanged: nothing drawn; one edit: one drawing; a moved shot: all of them.
    void redrawsOnlyWhatChanged()
    {
        QList<Item> items;
        for (int i = 0; i < 5; ++i)
            items << Item::arrowFrom(QPointF(10 + i * 20, 10), QPointF(10 + i * 20, 100), 0, 2);
        items << Item::withRect(ItemKind::redaction, QRectF(250, 50, 60, 60), 0, 2);
        setPage(items);
        int before = c->itemDrawsForTest;
        c->refresh(false);
        QCOMPARE(c->itemDrawsForTest, before);

        Item moved = c->markup.items.at(2);
        moved.moveBy(5, 0);
        c->markup.items[2] = moved;
        c->refresh(false);
        QCOMPARE(c->itemDrawsForTest, before + 1);
        QCOMPARE(c->rendered.value(moved.id), moved);

        before = c->itemDrawsForTest;
        c->markup.shots[0].rect.translate(10, 0);
        c->markup.shots[0].origin += QPointF(10, 0);
        c->refresh(false);
        QCOMPARE(c->itemDrawsForTest, before + 6);
        QCOMPARE(c->shotLayers.value(shot.id).clip->boundingRect(), QRectF(10, 0, 400, 300));
    }

    // A redaction later in the document than an arrow still lies under it.
    void redactionsUnderMarks()
    {
        const Item arrow = Item::arrowFrom(QPointF(220, 100), QPointF(390, 100), 0, 2);
        const Item redaction = Item::withRect(ItemKind::redaction, QRectF(250, 50, 100, 100), 0, 2);
        setPage({arrow, redaction});
        ShapeLayers *a = c->shapes.at(arrow.id).get();
        ShapeLayers *r = c->shapes.at(redaction.id).get();
        QCOMPARE(r->fill->parentItem(), c->redactionLayer);
        QCOMPARE(a->fill->parentItem(), c->shapesLayer);
        QVERIFY(c->redactionLayer->zValue() < c->shapesLayer->zValue());
        QVERIFY(c->shapesLayer->zValue() < c->platesLayer->zValue());
        QCOMPARE(c->itemFrame(redaction), QRectF(250, 50, 100, 100));
        QCOMPARE(c->itemFrame(arrow), a->drawnBounds);
        QVERIFY(c->itemFrame(Item::arrowFrom(QPointF(), QPointF(5, 5), 0, 2)).isNull());
    }

    // A red comment over red gets a white plate, gone over the white canvas; an empty comment
    // never has one.
    void platesBehindComments()
    {
        Item note = Item::noteAt(QPointF(40, 100), TextSide::right, 120, QString(), 0, 2);
        note.string = QStringLiteral("Look here");
        Item empty = Item::noteAt(QPointF(40, 200), TextSide::right, 120, QString(), 0, 2);
        setPage({note, empty});

        QVERIFY(!c->plates.contains(empty.id));
        QVERIFY(c->plates.contains(note.id));
        const CanvasController::Plate plate = c->plates.value(note.id);
        QCOMPARE(plate.color, (RGB{1, 1, 1}));
        QCOMPARE(plate.layer->brush().color(), ShapeRules::qColor(RGB{1, 1, 1}, 0.9));
        QCOMPARE(plate.layer->parentItem(), c->platesLayer);
        const QRectF text = CanvasController::textRectOf(c->texts.value(note.id));
        const QRectF expected = text.adjusted(-7, -3, 7, 3);
        QCOMPARE(plate.layer->path().boundingRect(), expected);
        QCOMPARE(c->itemFrame(note), expected);
        QCOMPARE(c->itemFrame(empty), CanvasController::textRectOf(c->texts.value(empty.id)));
        QVERIFY(c->texts.value(note.id)->zValue() > c->platesLayer->zValue());

        // Over the white canvas the red stands out.
        Item away = note;
        away.anchor = QPointF(600, 100);
        c->markup.items[0] = away;
        c->refresh(false);
        QVERIFY(!c->plates.contains(note.id));
        QCOMPARE(c->itemFrame(away), CanvasController::textRectOf(c->texts.value(note.id)));
    }

    // Items that leave the document leave the scene in the same refresh; the edited one is no
    // longer edited; a removed shot is no longer selected, a moved one still is.
    void removals()
    {
        const Item arrow = Item::arrowFrom(QPointF(20, 20), QPointF(100, 100), 0, 2);
        Item note = Item::noteAt(QPointF(40, 100), TextSide::right, 120, QString(), 0, 2);
        note.string = QStringLiteral("Look here");
        setPage({arrow, note});
        QVERIFY(c->plates.contains(note.id));
        c->editing = c->texts.value(note.id);
        c->selection = {arrow.id, note.id};
        c->selectedShot = shot.id;
        const int sceneItems = c->docView->items().size();

        c->markup.shots[0].rect.translate(3, 0);
        c->refresh(false);
        QCOMPARE(c->selectedShot, std::optional(shot.id));

        c->markup.items = ItemList();
        c->refresh(false);
        QVERIFY(!c->editing);
        QVERIFY(c->selection.isEmpty());
        QVERIFY(c->shapes.empty() && c->texts.isEmpty() && c->plates.isEmpty() && c->rendered.isEmpty());
        QCOMPARE(c->docView->items().size(), sceneItems - 5); // halo, fill, mosaic, text, plate

        c->markup.shots.clear();
        c->refresh(false);
        QVERIFY(!c->selectedShot);
        QVERIFY(c->shotLayers.isEmpty());
        QVERIFY(!c->shown.contains(shot.id));
    }

    // A refresh asks the canvas's session for an autosave; a canvas without one asks nobody.
    void refreshSchedulesTheAutosave()
    {
        setPage({});
        c->refresh(false);
        auto session = std::make_unique<CaptureSession>(
            QList<FrozenFrame>{SessionFixture::frame(QRect(0, 0, 400, 300), 1)}, std::nullopt,
            OverlayViewHost::Mode::Canvas);
        QVERIFY(!session->autosavePending());
        c->session = session.get();
        c->refresh(false);
        QVERIFY(session->autosavePending());
        c->session = nullptr;
    }

    // The scene drawn offscreen: the arrow over the redaction, the mosaic over the shot, the
    // plate behind the comment.
    void stackingInAGrab()
    {
        const Item arrow = Item::arrowFrom(QPointF(220, 100), QPointF(390, 100), 3, 2);
        const Item redaction = Item::withRect(ItemKind::redaction, QRectF(250, 50, 100, 100), 0, 2);
        Item note = Item::noteAt(QPointF(40, 200), TextSide::right, 120, QString(), 0, 2);
        note.string = QStringLiteral("Look here");
        setPage({arrow, redaction, note});

        QImage grab(400, 300, QImage::Format_ARGB32_Premultiplied);
        grab.fill(Qt::transparent);
        {
            QPainter p(&grab);
            c->docView->render(&p, QRectF(0, 0, 400, 300), QRectF(0, 0, 400, 300));
        }
        const QColor blue = ShapeRules::qColor(Palette::color(3));
        auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12
                && std::abs(a.blue() - b.blue()) < 12;
        };
        QVERIFY2(near(grab.pixelColor(300, 100), blue), "the arrow lies over the redaction");
        QVERIFY2(near(grab.pixelColor(300, 60), grey), "the mosaic averages the checkerboard");
        const QColor shotPixel = grab.pixelColor(380, 250);
        QVERIFY(near(shotPixel, Qt::black) || near(shotPixel, Qt::white));
        const QRectF plate = c->plates.value(note.id).layer->path().boundingRect();
        const QColor onPlate = grab.pixelColor(QPointF(plate.left() + 3, plate.center().y()).toPoint());
        QVERIFY2(onPlate.green() > 220 && onPlate.blue() > 220, qPrintable(onPlate.name()));
    }
};

QTEST_MAIN(TestMarkLayers)
#include "tst_marklayers.moc"
