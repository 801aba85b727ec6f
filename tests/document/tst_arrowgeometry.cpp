#include "document/ArrowDirection.h"
#include "document/ArrowShape.h"
#include "document/CanvasGeometry.h"
#include "document/Plane.h"
#include "document/Trim.h"

#include "TestEnv.h"

#include <cmath>
#include <vector>

namespace {

bool near(double a, double b, double eps = 1e-9)
{
    return std::abs(a - b) < eps;
}

} // namespace

class TestArrowGeometry : public QObject
{
    Q_OBJECT
private slots:
    void zeroLengthArrowIsTheHeadAlone()
    {
        const ShapePath p = ArrowShape::path({10, 10}, {10, 10}, ArrowStyle::forScale(1));
        QCOMPARE(p.figures.size(), 1);
        QCOMPARE(p.figures[0].segments.size(), 3);
        QVERIFY(p.figures[0].closed);
        QVERIFY(Plane::same(p.figures[0].start, QPointF(10, 10)));
        for (const auto &s : p.figures[0].segments)
            QVERIFY(Plane::same(s.to, QPointF(10, 10)));
    }

    void shortArrowStillGetsItsShaft()
    {
        // Length 1 with s = 1: head 0.62 long and 24 × 0.62 / 26 wide, shaft 0.6 of that.
        const ShapePath p = ArrowShape::path({0, 0}, {1, 0}, ArrowStyle::forScale(1));
        const double w = 24 * 0.62 / 26;
        const double r = 0.5 * std::min(0.6 * w, 6.0);
        QCOMPARE(p.figures.size(), 1);
        const QRectF bounds = p.controlBounds();
        QVERIFY(near(bounds.left(), -r));
        QVERIFY(near(bounds.right(), 1));
        QVERIFY(near(bounds.top(), -w / 2));
        QVERIFY(p.contains({0.2, r * 0.95}));
        QVERIFY(!p.contains({0.2, r * 1.05}));
        QVERIFY(p.contains({-r * 0.9, 0}));
    }

    void longArrowKeepsTheFullHead()
    {
        // 26 long, 24 wide, shaft 6 wide; the notch lies 0.78 × 26 behind the tip.
        const ShapePath p = ArrowShape::path({0, 0}, {100, 0}, ArrowStyle::forScale(1));
        QCOMPARE(p.figures.size(), 1); // one outline: stroking shows no seam
        const QRectF bounds = p.controlBounds();
        QVERIFY(near(bounds.left(), -3) && near(bounds.right(), 100));
        QVERIFY(near(bounds.top(), -12) && near(bounds.bottom(), 12));
        QVERIFY(p.contains({50, 2.9}));
        QVERIFY(!p.contains({50, 3.1}));
        QVERIFY(p.contains({-2.9, 0})); // the round tail end
        QVERIFY(!p.contains({-2.5, 2.5}));
        QVERIFY(p.contains({76, 9})); // barb
        QVERIFY(!p.contains({76, 5})); // the notch cut in behind the head
        QVERIFY(p.contains({76, 2})); // shaft
        QVERIFY(p.contains({90, 4}));
        QVERIFY(!p.contains({90, 5}));
        QVERIFY(!p.contains({100.5, 0}));
    }

    void unusualStyleFallsBackToTwoFigures()
    {
        // A head far wider than long: the shaft's round end would reach past the head's sides,
        // so head and shaft come as two figures that fill the same area.
        const ShapePath p = ArrowShape::path({0, 0}, {100, 0}, ArrowStyle{100, 10, 60});
        QCOMPARE(p.figures.size(), 2);
        QVERIFY(p.contains({50, 17})); // shaft, 36 wide
        QVERIFY(!p.contains({50, 19}));
        QVERIFY(p.contains({95, 10})); // head
        QVERIFY(p.contains({-17, 0})); // round tail end
    }

    void outlineFollowsTheDirection()
    {
        const ShapePath right = ArrowShape::path({0, 0}, {100, 0}, ArrowStyle::forScale(2));
        const ShapePath down = ArrowShape::path({0, 0}, {0, 100}, ArrowStyle::forScale(2));
        const QRectF a = right.controlBounds();
        const QRectF b = down.controlBounds();
        QVERIFY(near(a.width(), b.height()) && near(a.height(), b.width()));
        QVERIFY(down.contains({0, 99}) && !down.contains({0, -7}));
    }

    void contentBounds_data()
    {
        QTest::addColumn<QList<QRectF>>("rects");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("no marks") << QList<QRectF>{} << QRectF(0, 0, 100, 100);
        QTest::newRow("only null and empty marks")
            << QList<QRectF>{QRectF(), QRectF(-50, -50, 0, 10)} << QRectF(0, 0, 100, 100);
        QTest::newRow("0.5 pt out on the left") << QList<QRectF>{{-0.5, 10, 20, 20}}
                                                << QRectF(0, 0, 100, 100);
        QTest::newRow("0.6 pt out on the left") << QList<QRectF>{{-0.6, 10, 20, 20}}
                                                << QRectF(-10.6, 0, 110.6, 100);
        QTest::newRow("above, within the width")
            << QList<QRectF>{{5, -30, 92, 20}} << QRectF(-5, -40, 112, 140);
        QTest::newRow("out right and below")
            << QList<QRectF>{{90, 90, 20, 20}, {10, 10, 5, 5}} << QRectF(0, 0, 120, 120);
    }
    void contentBounds()
    {
        QFETCH(QList<QRectF>, rects);
        QFETCH(QRectF, expected);
        const QRectF got = Trim::contentBounds(rects, QRectF(0, 0, 100, 100), 10);
        QVERIFY2(Plane::same(got, expected), qPrintable(QStringLiteral("%1 %2 %3 %4")
                                                            .arg(got.x())
                                                            .arg(got.y())
                                                            .arg(got.width())
                                                            .arg(got.height())));
    }

    void keepsOrder_data()
    {
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");
        QTest::addColumn<int>("fallback"); // -1 none, 0 no, 1 yes
        QTest::addColumn<bool>("scored");
        QTest::addColumn<double>("s1");
        QTest::addColumn<double>("s2");
        QTest::addColumn<bool>("kept");
        // One shot over (100, 100)...(300, 300); factor 4.
        QTest::newRow("into the shot") << QPointF(50, 200) << QPointF(200, 200) << -1 << false << 0.0 << 0.0 << true;
        QTest::newRow("out of the shot") << QPointF(200, 200) << QPointF(50, 200) << -1 << false << 0.0 << 0.0 << false;
        QTest::newRow("ends near an edge: fallback no")
            << QPointF(50, 200) << QPointF(102, 200) << 0 << false << 0.0 << 0.0 << false;
        QTest::newRow("ends near an edge outside: fallback yes")
            << QPointF(200, 200) << QPointF(97, 200) << 1 << false << 0.0 << 0.0 << true;
        QTest::newRow("near an edge without fallback")
            << QPointF(200, 200) << QPointF(97, 200) << -1 << false << 0.0 << 0.0 << false;
        QTest::newRow("outside at 20 and 10: fallback")
            << QPointF(80, 200) << QPointF(90, 200) << 0 << false << 0.0 << 0.0 << false;
        QTest::newRow("outside at 20 and 10: none keeps")
            << QPointF(80, 200) << QPointF(90, 200) << -1 << false << 0.0 << 0.0 << true;
        QTest::newRow("outside at 30 and 10") << QPointF(70, 200) << QPointF(90, 200) << 0 << false << 0.0 << 0.0 << true;
        QTest::newRow("outside at 10 and 30") << QPointF(90, 200) << QPointF(70, 200) << 1 << false << 0.0 << 0.0 << false;
        QTest::newRow("both on the shot, no pictures")
            << QPointF(150, 150) << QPointF(250, 250) << -1 << false << 0.0 << 0.0 << true;
        QTest::newRow("both on the shot, busier end is second")
            << QPointF(150, 150) << QPointF(250, 250) << 0 << true << 0.1 << 0.3 << true;
        QTest::newRow("both on the shot, busier end is first")
            << QPointF(150, 150) << QPointF(250, 250) << 1 << true << 0.3 << 0.1 << false;
        QTest::newRow("both on the shot, alike") << QPointF(150, 150) << QPointF(250, 250) << 0
                                                 << true << 0.3 << 0.34 << false;
    }
    void keepsOrder()
    {
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        QFETCH(int, fallback);
        QFETCH(bool, scored);
        QFETCH(double, s1);
        QFETCH(double, s2);
        QFETCH(bool, kept);
        const std::optional<bool> fb = fallback < 0 ? std::nullopt : std::optional<bool>(fallback == 1);
        ArrowDirection::Score score;
        if (scored)
            score = [&](QPointF p) { return Plane::same(p, first) ? s1 : s2; };
        QCOMPARE(ArrowDirection::keepsOrder(QRectF(100, 100, 200, 200), fb, score, first, second, 4),
                 kept);
    }

    void noShotsGiveTheFallback()
    {
        QVERIFY(ArrowDirection::keepsOrder(QList<QRectF>{}, std::nullopt, {}, {0, 0}, {5, 5}, 4));
        QVERIFY(!ArrowDirection::keepsOrder(QList<QRectF>{}, false, {}, {0, 0}, {5, 5}, 4));
    }

    void orientArrowPutsTheHeadOnTheShot()
    {
        const CanvasGeometry geometry(QRectF(100, 100, 200, 200), QRectF(100, 100, 200, 200),
                                      nullptr, RGB::white());
        const auto swapped = geometry.orientArrow(std::nullopt, {200, 200}, {20, 200}, 14);
        QVERIFY(!swapped.kept);
        QVERIFY(Plane::same(swapped.head, QPointF(200, 200)));
        QVERIFY(Plane::same(swapped.tail, QPointF(20, 200)));
        const auto kept = geometry.orientArrow(std::nullopt, {20, 200}, {200, 200}, 14);
        QVERIFY(kept.kept);
        QVERIFY(Plane::same(kept.head, QPointF(200, 200)));
    }

    void bothEndsOnPicturesGoByBusyness()
    {
        // Left half flat grey, right half a black and white checker of 8-pixel squares.
        constexpr int size = 100;
        std::vector<uchar> bytes(size * size * 4, 128);
        for (int y = 0; y < size; ++y)
            for (int x = size / 2; x < size; ++x)
                std::fill_n(bytes.data() + (y * size + x) * 4, 3, ((x / 8 + y / 8) % 2) ? 255 : 0);
        const auto sampler = PixelSampler::make({size, size, size * 4, bytes.data(), PixelView::bgra});
        const CanvasGeometry g(QRectF(0, 0, 100, 100), QRectF(0, 0, 100, 100), sampler, RGB::white());
        QCOMPARE(g.busyness({20, 50}, 8), 0.0);
        QVERIFY(g.busyness({80, 50}, 8) > 0.1);
        QVERIFY(g.orientArrow(false, {20, 50}, {80, 50}, 8).kept); // head to the busy end
        const auto turned = g.orientArrow(true, {80, 50}, {20, 50}, 8);
        QVERIFY(!turned.kept);
        QVERIFY(Plane::same(turned.head, QPointF(80, 50)));
    }
};

QUILLET_TEST_MAIN_CORE(TestArrowGeometry)
#include "tst_arrowgeometry.moc"
