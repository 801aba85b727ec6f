#include "export/ExportScene.h"
#include "export/ShapeRules.h"

#include "ExportFixture.h"
#include "TestEnv.h"

#include <cmath>

using namespace ExportFixture;

// The exported picture: its size and grid, pixel-exact shots, mosaics, and what the scene of a
// stored page holds.
class TestExportRender : public QObject
{
    Q_OBJECT

    static ExportScene scene(const Page &p) { return ExportScene::fromPage(p.markup, p.images); }

private slots:
    void sizes_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("half");
        QTest::addColumn<QRectF>("mark"); // an extra rect that must be inside, in points
        QTest::addColumn<QSize>("expected");
        QTest::newRow("2x exact") << QSize(2880, 1800) << 2.0 << false << QRectF() << QSize(2880, 1800);
        QTest::newRow("2x half") << QSize(2880, 1800) << 2.0 << true << QRectF() << QSize(1440, 900);
        QTest::newRow("1x half") << QSize(1440, 900) << 1.0 << true << QRectF() << QSize(720, 450);
        QTest::newRow("100 pt out right, 1x") << QSize(200, 100) << 1.0 << false << QRectF(150, 20, 150, 30)
                                              << QSize(316, 100);
        QTest::newRow("100 pt out right, 2x") << QSize(400, 200) << 2.0 << false << QRectF(150, 20, 150, 30)
                                              << QSize(616, 200);
        QTest::newRow("out above widens both sides") << QSize(200, 100) << 1.0 << false << QRectF(50, -20, 20, 30)
                                                     << QSize(200, 136);
        QTest::newRow("inside by half a point") << QSize(200, 100) << 1.0 << false << QRectF(-0.4, 10, 50, 50)
                                                << QSize(200, 100);
    }
    void sizes()
    {
        QFETCH(QSize, pixels);
        QFETCH(double, scale);
        QFETCH(bool, half);
        QFETCH(QRectF, mark);
        QFETCH(QSize, expected);
        ExportScene s = scene(page(pattern(pixels.width(), pixels.height()), scale));
        if (!mark.isNull())
            s.bounds << mark;
        QCOMPARE(s.render(half, std::nullopt, 16).size(), expected);
    }

    // A page of marks inside the shot is the shot, bit for bit, wherever no mark is drawn.
    void exactCopyKeepsEveryPixelOutsideTheMarks()
    {
        const QImage picture = pattern(2880, 1800, 7);
        Page p = page(picture, 2.0, {});
        Item arrow = Item::arrowFrom(QPointF(300, 300), QPointF(600, 450), 0, 2);
        p.markup.items.append(arrow);
        const ExportScene s = scene(p);
        QCOMPARE(s.bounds.size(), 1);
        const QImage out = s.render(false, std::nullopt, 16);
        QCOMPARE(out.size(), picture.size());
        const QRect drawn = QRectF(s.bounds[0].topLeft() * 2, s.bounds[0].size() * 2).toAlignedRect();
        QVERIFY(samePixels(picture, out, QPoint(0, 0), drawn));
        QVERIFY(!samePixels(picture, out, QPoint(0, 0))); // the arrow is there
    }

    // A picture that carries a device pixel ratio for the screen (an overlay's frozen display)
    // is still drawn pixel for pixel, copied at the export density or shrunk under half size.
    void aPictureForTheScreenExportsAtItsPixels_data()
    {
        QTest::addColumn<bool>("half");
        QTest::newRow("exact") << false;
        QTest::newRow("half size") << true;
    }
    void aPictureForTheScreenExportsAtItsPixels()
    {
        QFETCH(bool, half);
        const QImage plain = pattern(400, 200, 5);
        QImage forScreen = plain;
        forScreen.setDevicePixelRatio(2);
        const QImage want = scene(page(plain, 2.0)).render(half, std::nullopt, 16);
        const QImage got = scene(page(forScreen, 2.0)).render(half, std::nullopt, 16);
        QCOMPARE(got.size(), want.size());
        QVERIFY(samePixels(want, got, QPoint(0, 0)));
    }

    void markOutOnTheLeftLeavesTheShotUnshifted()
    {
        const QImage picture = pattern(100, 80, 3);
        ExportScene s = scene(page(picture, 1.0));
        s.bounds << QRectF(-10.3, 10, 30, 20);
        const QImage out = s.render(false, std::nullopt, 16);
        // 10.3 + 16 points to the left, rounded up to whole pixels before the shot.
        QCOMPARE(out.size(), QSize(127, 80));
        QVERIFY(samePixels(picture, out, QPoint(27, 0)));
        QCOMPARE(QColor(out.pixel(5, 40)), QColor(Qt::white));
    }

    void mixedDensitiesExportAtTheLargest()
    {
        Page p = page(flat(100, 100, qRgb(10, 200, 30)), 1.0);
        const QImage sharp = pattern(200, 200, 9);
        const Shot second(QUuid::createUuid(), QPointF(100, 0), QSizeF(100, 100), QRectF(100, 0, 100, 100));
        p.markup.shots << second;
        p.images.insert(second.id, ShotImage{sharp, 2.0});
        const QImage out = scene(p).render(false, std::nullopt, 16);
        QCOMPARE(out.size(), QSize(400, 200));
        QVERIFY(samePixels(sharp, out, QPoint(200, 0)));
        QCOMPARE(out.pixel(0, 0), qRgb(10, 200, 30));
        QCOMPARE(out.pixel(199, 199), qRgb(10, 200, 30));
    }

    void redactionBlocksAreCellMeans()
    {
        const QImage picture = pattern(400, 600, 5);
        Page p = page(picture, 2.0);
        p.markup.items.append(Item::withRect(ItemKind::redaction, QRectF(20, 40, 40, 200), 0, 2));
        const QImage out = scene(p).render(false, std::nullopt, 16);
        QCOMPARE(out.size(), picture.size());
        // Cell: min(40, 200) / 4 = 10 pt = 20 px; 4 columns and 20 rows.
        for (int row = 0; row < 20; ++row) {
            for (int col = 0; col < 4; ++col) {
                const QRect cell(40 + col * 20, 80 + row * 20, 20, 20);
                double sum[3] = {0, 0, 0};
                for (int y = cell.top(); y <= cell.bottom(); ++y)
                    for (int x = cell.left(); x <= cell.right(); ++x) {
                        const QRgb c = picture.pixel(x, y);
                        sum[0] += qRed(c), sum[1] += qGreen(c), sum[2] += qBlue(c);
                    }
                const QRgb first = out.pixel(cell.topLeft());
                QCOMPARE(out.pixel(cell.bottomRight()), first); // one flat block
                QVERIFY2(std::abs(qRed(first) - sum[0] / 400) <= 1 && std::abs(qGreen(first) - sum[1] / 400) <= 1
                             && std::abs(qBlue(first) - sum[2] / 400) <= 1,
                         qPrintable(QStringLiteral("cell %1,%2").arg(col).arg(row)));
            }
        }
        QCOMPARE(out.pixel(39, 100), picture.pixel(39, 100)); // outside the redaction
    }

    void fittedCoversTheTarget()
    {
        const ExportScene s = scene(page(pattern(2880, 1800), 2.0));
        QCOMPARE(s.render(false, QSizeF(720, 480), 16).size(), QSize(768, 480));
        // Never denser than the exact export.
        QCOMPARE(s.render(false, QSizeF(8000, 8000), 16).size(), QSize(2880, 1800));
    }

    // A fitted picture is drawn from a smaller copy of a shot when that copy still has the
    // output's density, and from the picture itself when it has not; an exact one never uses it.
    void fittedDrawsFromASmallerCopy_data()
    {
        QTest::addColumn<std::optional<QSizeF>>("fit");
        QTest::addColumn<QRgb>("seen");
        QTest::newRow("thumbnail: the copy") << std::optional(QSizeF(200, 100)) << qRgb(20, 40, 220);
        QTest::newRow("denser than the copy: the picture") << std::optional(QSizeF(1600, 800)) << qRgb(220, 30, 20);
        QTest::newRow("exact: the picture") << std::optional<QSizeF>() << qRgb(220, 30, 20);
    }
    void fittedDrawsFromASmallerCopy()
    {
        QFETCH(std::optional<QSizeF>, fit);
        QFETCH(QRgb, seen);
        const Page p = page(flat(2000, 1000, qRgb(220, 30, 20)), 2.0);
        ExportScene s = scene(p);
        s.smaller.insert(p.markup.shots[0].id, ShotImage{flat(500, 250, qRgb(20, 40, 220)), 0.5});
        const QImage out = s.render(false, fit, 0);
        QVERIFY(!out.isNull());
        QCOMPARE(out.pixel(out.width() / 2, out.height() / 2), seen);
    }

    void noPicture_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("no picture") << "none";
        QTest::newRow("scale not a number") << "nan";
        QTest::newRow("scale zero") << "zero";
        QTest::newRow("too wide") << "wide";
        QTest::newRow("too many pixels") << "area";
    }
    void noPicture()
    {
        QFETCH(QString, what);
        Page p = page(pattern(10, 10), 1.0);
        ExportScene::Failure expected = ExportScene::Failure::nothing;
        if (what == "none")
            p.images.clear();
        else if (what == "nan")
            p.images[p.shot()].pixelScale = std::nan("");
        else if (what == "zero")
            p.images[p.shot()].pixelScale = 0;
        else {
            // A picture whose shot covers far more than a bitmap may: refused before anything
            // is allocated.
            p.markup.shots[0].rect = what == "wide" ? QRectF(0, 0, 40000, 10) : QRectF(0, 0, 20000, 8000);
            expected = ExportScene::Failure::tooLarge;
        }
        ExportScene::Failure why = ExportScene::Failure::none;
        QVERIFY(scene(p).render(false, std::nullopt, 16, &why).isNull());
        QCOMPARE(why, expected);
    }

    void pixelatedSizes_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("cell 10 pt") << QRectF(0, 0, 100, 40) << 2.0 << QSize(10, 4);
        QTest::newRow("cell held at 6 pt") << QRectF(0, 0, 20, 20) << 1.0 << QSize(3, 3);
        QTest::newRow("cell held at 14 pt") << QRectF(0, 0, 400, 300) << 1.0 << QSize(29, 21);
        QTest::newRow("half a point wide") << QRectF(0, 0, 0.5, 40) << 1.0 << QSize(0, 0);
        QTest::newRow("outside the picture") << QRectF(600, 0, 40, 40) << 1.0 << QSize(0, 0);
    }
    void pixelatedSizes()
    {
        QFETCH(QRectF, rect);
        QFETCH(double, scale);
        QFETCH(QSize, expected);
        const ShotImage shot{pattern(int(500 * scale), int(400 * scale)), scale};
        QCOMPARE(shot.pixelated(rect).size(), expected);
    }

    // Averages, not samples: a one-pixel checkerboard is mid grey in every block.
    void pixelatedCheckerboardIsGrey()
    {
        QImage board(120, 90, QImage::Format_RGB32);
        for (int y = 0; y < board.height(); ++y)
            for (int x = 0; x < board.width(); ++x)
                board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const QImage mosaic = ShotImage{board, 1.0}.pixelated(QRectF(3.5, 2.25, 100, 70));
        QVERIFY(!mosaic.isNull());
        for (int y = 0; y < mosaic.height(); ++y)
            for (int x = 0; x < mosaic.width(); ++x)
                QVERIFY2(std::abs(qGray(mosaic.pixel(x, y)) - 127) <= 2, qPrintable(QString::number(qGray(mosaic.pixel(x, y)))));
    }

    // --- The scene of a stored page

    void blankTextIsLeftOut()
    {
        Page p = page(flat(200, 100, qRgb(255, 255, 255)), 1.0);
        Item note = Item::noteAt(QPointF(20, 20), TextSide::right, 120, QString(), 0, 2);
        note.string = QStringLiteral(" \n\t ");
        p.markup.items.append(note);
        const ExportScene s = scene(p);
        QVERIFY(s.texts.isEmpty());
        QVERIFY(s.bounds.isEmpty());
        QCOMPARE(s.markup.items.size(), 1); // the document itself is unchanged
    }

    void plateOnlyOverAClashingPicture_data()
    {
        QTest::addColumn<QRgb>("under");
        QTest::addColumn<bool>("plated");
        QTest::newRow("near-black over dark") << qRgb(20, 20, 24) << true;
        QTest::newRow("near-black over white") << qRgb(255, 255, 255) << false;
    }
    void plateOnlyOverAClashingPicture()
    {
        QFETCH(QRgb, under);
        QFETCH(bool, plated);
        Page p = page(flat(400, 200, under), 1.0);
        p.markup.unit = 1.25;
        Item note = Item::noteAt(QPointF(40, 60), TextSide::right, 200, QString(), 4, 2);
        note.string = QStringLiteral("Look here");
        p.markup.items.append(note);
        const ExportScene s = scene(p);
        QCOMPARE(s.texts.size(), 1);
        QCOMPARE(s.plates.contains(note.id), plated);
        const double w = 1.25;
        const QRectF r = s.texts[0]->textRect();
        QCOMPARE(s.bounds, QList<QRectF>{plated ? r.adjusted(-7 * w, -3 * w, 7 * w, 3 * w) : r});
    }

    void arrowBoundsGrowWithItsOutline_data()
    {
        QTest::addColumn<QRgb>("under");
        QTest::addColumn<bool>("outlined");
        QTest::newRow("red on red") << qRgb(255, 41, 31) << true;
        QTest::newRow("red on white") << qRgb(255, 255, 255) << false;
    }
    void arrowBoundsGrowWithItsOutline()
    {
        QFETCH(QRgb, under);
        QFETCH(bool, outlined);
        Page p = page(flat(400, 300, under), 1.0);
        p.markup.unit = 2;
        const Item arrow = Item::arrowFrom(QPointF(50, 50), QPointF(250, 200), 0, 3);
        p.markup.items.append(arrow);
        const ExportScene s = scene(p);
        QCOMPARE(s.outlines.contains(arrow.id), outlined);
        const double w = 2 * 1.4;
        const double grow = (outlined ? 3.25 : 0.75) * w + 0.5;
        const QRectF box = ShapeRules::arrowPath(arrow, w).boundingRect();
        QCOMPARE(s.bounds, QList<QRectF>{box.adjusted(-grow, -grow, grow, grow)});
    }

    void redactionOffEveryShotAddsNothing()
    {
        Page p = page(flat(100, 100, qRgb(0, 0, 0)), 1.0);
        p.markup.items.append(Item::withRect(ItemKind::redaction, QRectF(300, 300, 40, 40), 0, 2));
        p.markup.items.append(Item::withRect(ItemKind::redaction, QRectF(80, 80, 40, 40), 0, 2));
        QCOMPARE(scene(p).bounds, QList<QRectF>{QRectF(80, 80, 20, 20)});
    }

    // The canvas's scene: blank texts dropped from the document, its own colours and frames.
    void ofCanvasTakesTheCanvasParts()
    {
        Page p = page(flat(200, 100, qRgb(255, 255, 255)), 1.0);
        Item blank = Item::noteAt(QPointF(10, 10), TextSide::right, 80, QString(), 0, 2);
        Item note = Item::noteAt(QPointF(10, 50), TextSide::right, 80, QString(), 0, 2);
        note.string = QStringLiteral("Hi");
        const Item box = Item::withRect(ItemKind::box, QRectF(20, 20, 40, 40), 1, 2);
        p.markup.items.append(blank);
        p.markup.items.append(note);
        p.markup.items.append(box);
        ExportScene::CanvasParts parts{p.markup, p.images, {{box.id, RGB::white()}}, {{note.id, RGB::nearBlack()}}, {},
                                       {{box.id, QRectF(15, 15, 50, 50)}, {note.id, QRectF()}, {blank.id, QRectF(1, 1, 2, 2)}}};
        const ExportScene s = ExportScene::ofCanvas(parts);
        QCOMPARE(s.markup.items.size(), 2);
        QVERIFY(!s.markup.item(blank.id));
        QCOMPARE(s.texts.size(), 1);
        QCOMPARE(s.texts[0]->itemID(), note.id);
        QCOMPARE(s.outlines.value(box.id), RGB::white());
        QCOMPARE(s.bounds, QList<QRectF>{QRectF(15, 15, 50, 50)});
    }
};

QUILLET_TEST_MAIN(TestExportRender)
#include "tst_exportrender.moc"
