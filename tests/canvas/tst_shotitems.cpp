#include "TestEnv.h"

#include "canvas/ShotItems.h"

#include <QGraphicsScene>
#include <QPainter>

class TestShotItems : public QObject
{
    Q_OBJECT

private slots:
    // Below half size the picture is drawn from a copy halved as often as that still leaves a
    // picture pixel per device pixel; at half size and above, from the picture itself.
    void smallerCopyBelowHalfSize_data()
    {
        QTest::addColumn<double>("devicePerPixel");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("full size") << 1.0 << QSize(800, 600);
        QTest::newRow("half size") << 0.5 << QSize(400, 300);
        QTest::newRow("just over half") << 0.6 << QSize(800, 600);
        QTest::newRow("a fifth") << 0.2 << QSize(200, 150);
        QTest::newRow("magnified") << 4.0 << QSize(800, 600);
    }
    void smallerCopyBelowHalfSize()
    {
        QFETCH(double, devicePerPixel);
        QFETCH(QSize, drawn);
        QImage picture(800, 600, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        ShotPictureItem item(picture, QRectF(0, 0, 400, 300));
        const QImage &used = item.pictureFor(devicePerPixel);
        QCOMPARE(used.size(), drawn);
        if (drawn == picture.size())
            QCOMPARE(used.constBits(), picture.constBits()); // the picture itself, not a copy
        // The same size step again reuses the copy.
        QCOMPARE(item.pictureFor(devicePerPixel).constBits(), used.constBits());
    }

    // A drawn scene at a quarter size shows the picture's colours averaged, not sampled.
    void quarterSizePaintAverages()
    {
        QImage stripes(400, 400, QImage::Format_RGB32);
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x)
                stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QGraphicsScene scene;
        auto *item = new ShotPictureItem(stripes, QRectF(0, 0, 400, 400));
        scene.addItem(item);
        QImage out(100, 100, QImage::Format_RGB32);
        out.fill(Qt::red);
        QPainter p(&out);
        scene.render(&p, QRectF(0, 0, 100, 100), QRectF(0, 0, 400, 400));
        p.end();
        QVERIFY(std::abs(qGray(out.pixel(50, 50)) - 127) <= 3);
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
