#include "TestEnv.h"

#include "canvas/ShotItems.h"

#include <QGraphicsScene>
#include <QPainter>

class TestShotItems : public QObject
{
    Q_OBJECT

    static QImage checkerboard(int side)
    {
        QImage board(side, side, QImage::Format_RGB32);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        return board;
    }

    // The scene drawn into a picture at a number of device pixels per picture pixel.
    static QImage render(QGraphicsScene &scene, QSizeF frame, double devicePerPixel, QSize pixels)
    {
        const QSize out(int(std::lround(pixels.width() * devicePerPixel)), int(std::lround(pixels.height() * devicePerPixel)));
        QImage image(out, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter p(&image);
        scene.render(&p, QRectF(QPointF(), QSizeF(out)), QRectF(QPointF(), frame));
        return image;
    }

private slots:
    // Shown smaller at any factor, a 1-pixel checkerboard becomes its mean grey: from a copy
    // made once per zoom level off the main thread, drawn pixel for pixel.
    void shrinkingShowsTheMeanGrey_data()
    {
        QTest::addColumn<double>("devicePerPixel");
        QTest::newRow("56%") << 0.56;
        QTest::newRow("75%") << 0.75;
        QTest::newRow("90%") << 0.9;
        QTest::newRow("a fifth") << 0.2;
    }
    void shrinkingShowsTheMeanGrey()
    {
        QFETCH(double, devicePerPixel);
        const QImage board = checkerboard(400);
        QGraphicsScene scene;
        auto *item = new ShotPictureItem(board, QRectF(0, 0, 200, 200)); // a picture of 2 pixels per point
        scene.addItem(item);
        render(scene, item->boundingRect().size(), devicePerPixel, board.size());
        QTRY_VERIFY(!item->shrinking());
        const QSize shown = item->shownSize(devicePerPixel);
        QCOMPARE(item->shrunk().size(), shown);
        const QImage out = render(scene, item->boundingRect().size(), devicePerPixel, board.size());
        QCOMPARE(out.size(), shown);
        int lo = 255, hi = 0;
        for (int y = 4; y < out.height() - 4; ++y)
            for (int x = 4; x < out.width() - 4; ++x) {
                lo = std::min(lo, qGray(out.pixel(x, y)));
                hi = std::max(hi, qGray(out.pixel(x, y)));
            }
        QVERIFY2(lo >= 121 && hi <= 134, qPrintable(QStringLiteral("greys from %1 to %2").arg(lo).arg(hi)));
        QCOMPARE(item->shrunkCopiesMade(), 1); // the second paint at that zoom made no other
    }

    // Enlarged or at its own size the picture is drawn nearest-neighbour, with no copy.
    void enlargingStaysNearest_data()
    {
        QTest::addColumn<double>("devicePerPixel");
        QTest::newRow("own size") << 1.0;
        QTest::newRow("twice") << 2.0;
        QTest::newRow("three times") << 3.0;
    }
    void enlargingStaysNearest()
    {
        QFETCH(double, devicePerPixel);
        const QImage board = checkerboard(40);
        QGraphicsScene scene;
        auto *item = new ShotPictureItem(board, QRectF(0, 0, 40, 40));
        scene.addItem(item);
        const QImage out = render(scene, item->boundingRect().size(), devicePerPixel, board.size());
        const int step = int(devicePerPixel);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                QCOMPARE(out.pixel(x, y), board.pixel(x / step, y / step));
        QCOMPARE(item->shownSize(devicePerPixel), board.size());
        QVERIFY(!item->shrinking());
        QCOMPARE(item->shrunkCopiesMade(), 0);
    }

    // Another picture drops the copy of the one before.
    void newPictureDropsTheCopy()
    {
        const QImage board = checkerboard(200);
        QGraphicsScene scene;
        auto *item = new ShotPictureItem(board, QRectF(0, 0, 200, 200));
        scene.addItem(item);
        render(scene, item->boundingRect().size(), 0.5, board.size());
        item->setImage(QImage(200, 200, QImage::Format_RGB32), false);
        QTRY_VERIFY(!item->shrinking());
        QVERIFY(item->shrunk().isNull());
    }

    // A sharper picture fades in over the one shown; without fading it shows at once.
    void sharpenFades()
    {
        QImage soft(100, 100, QImage::Format_RGB32), sharp(400, 400, QImage::Format_RGB32);
        soft.fill(Qt::gray);
        sharp.fill(Qt::white);
        ShotPictureItem item(QImage(), QRectF(0, 0, 400, 400));
        item.setImage(soft, true);
        QVERIFY(!item.fading());
        item.setImage(sharp, false, true);
        QVERIFY(item.fading());
        QCOMPARE(item.image(), sharp);
        QTRY_VERIFY_WITH_TIMEOUT(!item.fading(), 1000);
        QVERIFY(!item.smooth());
    }
};

QTEST_MAIN(TestShotItems)
#include "tst_shotitems.moc"
