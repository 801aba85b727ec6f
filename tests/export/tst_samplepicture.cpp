#include "export/SamplePicture.h"

#include "TestEnv.h"

#include <cmath>

// The made-up screenshot: its corners, its variants and its layout at any size.
class TestSamplePicture : public QObject
{
    Q_OBJECT

    static bool near(QRgb c, int r, int g, int b, int slack = 1)
    {
        return std::abs(qRed(c) - r) <= slack && std::abs(qGreen(c) - g) <= slack && std::abs(qBlue(c) - b) <= slack;
    }

private slots:
    void cornersAndVariants_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QColor>("title");
        QTest::newRow("0") << 0 << QColor::fromRgbF(1.0f, 0.16f, 0.12f);
        QTest::newRow("1") << 1 << QColor::fromRgbF(0.2f, 0.62f, 0.35f);
        QTest::newRow("6") << 6 << QColor::fromRgbF(0.45f, 0.3f, 0.85f);
        QTest::newRow("-1") << -1 << QColor::fromRgbF(0.1f, 0.45f, 0.9f);
    }
    void cornersAndVariants()
    {
        QFETCH(int, variant);
        QFETCH(QColor, title);
        const QImage p = samplePicture(640, 400, variant);
        QCOMPARE(p.size(), QSize(640, 400));
        QVERIFY(near(p.pixel(0, 399), 41, 43, 51)); // the sidebar, bottom left
        QVERIFY(near(p.pixel(639, 0), title.red(), title.green(), title.blue()));
    }

    void variantsRepeatEveryFour()
    {
        QCOMPARE(samplePicture(300, 200, 1), samplePicture(300, 200, 5));
        QVERIFY(samplePicture(300, 200, 1) != samplePicture(300, 200, 2));
        QVERIFY(samplePicture(0, 10, 0).isNull());
    }

    // The same layout at any size: proportional points agree away from the shapes' edges.
    void sameLayoutAtEverySize()
    {
        const QImage small = samplePicture(216, 108, 0);
        const QImage large = samplePicture(2880, 1800, 0);
        const QList<QPointF> points = {{0.05, 0.5}, {0.5, 0.05}, {0.3, 0.24}, {0.3, 0.205}, {0.27, 0.41}, {0.5, 0.595}, {0.75, 0.65},
                                       {0.5, 0.75}, {0.9, 0.95}, {0.075, 0.15}};
        for (const QPointF &f : points) {
            const QRgb a = small.pixel(int(f.x() * 216), int(f.y() * 108));
            const QRgb b = large.pixel(int(f.x() * 2880), int(f.y() * 1800));
            QVERIFY2(near(a, qRed(b), qGreen(b), qBlue(b), 2),
                     qPrintable(QStringLiteral("at %1,%2").arg(f.x()).arg(f.y())));
        }
    }
};

QUILLET_TEST_MAIN(TestSamplePicture)
#include "tst_samplepicture.moc"
