#include "TestEnv.h"

#include "capture/ShotImage.h"

#include <QRandomGenerator>

#include <cmath>

namespace {
// Premultiplied noise: each pixel's colour no more than its alpha.
QImage noise(int w, int h, bool opaque, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage img(w, h, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = opaque ? 255 : int(random.bounded(256));
            line[x] = qRgba(int(random.bounded(a + 1)), int(random.bounded(a + 1)), int(random.bounded(a + 1)), a);
        }
    }
    return img;
}

// The exact area-weighted mean of one channel over the cell [x0, x1) × [y0, y1) (pixel units).
double cellMean(const QImage &img, const QRect &area, double x0, double x1, double y0, double y1, int shift)
{
    double sum = 0, weight = 0;
    for (int y = int(std::floor(y0)); y < int(std::ceil(y1)); ++y) {
        const double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
        for (int x = int(std::floor(x0)); x < int(std::ceil(x1)); ++x) {
            const double w = wy * (std::min<double>(x + 1, x1) - std::max<double>(x, x0));
            sum += w * ((img.pixel(area.left() + x, area.top() + y) >> shift) & 0xff);
            weight += w;
        }
    }
    return sum / weight;
}
} // namespace

class TestShotImage : public QObject
{
    Q_OBJECT

private slots:
    // Every cell is the area-weighted mean of the picture under it, whole pixels and the shares
    // of pixels split between cells alike (within one level of rounding).
    void cellsAreAreaWeightedMeans_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("cells");
        QTest::addColumn<bool>("opaque");
        QTest::newRow("shared edges") << QSize(140, 100) << QRect(5, 3, 103, 77) << QSize(7, 5) << false;
        QTest::newRow("opaque") << QSize(140, 100) << QRect(5, 3, 103, 77) << QSize(7, 5) << true;
        QTest::newRow("cells without a whole pixel") << QSize(20, 20) << QRect(0, 0, 10, 9) << QSize(7, 7) << false;
        QTest::newRow("one cell") << QSize(30, 30) << QRect(1, 1, 29, 29) << QSize(1, 1) << false;
        QTest::newRow("cells wider than a lane holds") << QSize(2200, 40) << QRect(0, 0, 2200, 40) << QSize(2, 1) << false;
        QTest::newRow("many rows in a cell") << QSize(12, 1200) << QRect(0, 0, 12, 1200) << QSize(1, 1) << true;
    }
    void cellsAreAreaWeightedMeans()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, area);
        QFETCH(QSize, cells);
        QFETCH(bool, opaque);
        const QImage img = noise(picture.width(), picture.height(), opaque, 7);
        const QImage out = ShotImage::cellAverages(img, area, cells.width(), cells.height());
        QCOMPARE(out.size(), cells);
        const double cw = double(area.width()) / cells.width(), ch = double(area.height()) / cells.height();
        for (int r = 0; r < cells.height(); ++r) {
            for (int c = 0; c < cells.width(); ++c) {
                for (int shift : {0, 8, 16, 24}) {
                    const double expected = cellMean(img, area, c * cw, (c + 1) * cw, r * ch, (r + 1) * ch, shift);
                    const int got = int((out.pixel(c, r) >> shift) & 0xff);
                    QVERIFY2(std::abs(got - expected) <= 1.01,
                             qPrintable(QStringLiteral("cell %1,%2 channel %3: %4, not %5")
                                            .arg(c).arg(r).arg(shift).arg(got).arg(expected)));
                }
            }
        }
    }

    // A white picture stays white however the cells fall (no lane overflows, no lost weight).
    void whiteStaysWhite()
    {
        QImage white(3000, 700, QImage::Format_ARGB32_Premultiplied);
        white.fill(Qt::white);
        for (const QSize cells : {QSize(1, 1), QSize(3, 2), QSize(214, 50)}) {
            const QImage out = ShotImage::cellAverages(white, white.rect(), cells.width(), cells.height());
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    QCOMPARE(out.pixel(x, y), qRgba(255, 255, 255, 255));
        }
    }
};

QTEST_MAIN(TestShotImage)
#include "tst_shotimage.moc"
