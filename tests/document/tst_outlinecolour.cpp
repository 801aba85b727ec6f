#include "document/CanvasGeometry.h"
#include "document/Contrast.h"
#include "document/Palette.h"

#include "TestEnv.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A picture in memory with the app's byte order (B, G, R, A) and padded rows.
struct Picture {
    int width, height;
    qsizetype stride;
    std::vector<uchar> bytes;

    Picture(int w, int h) : width(w), height(h), stride(qsizetype(w) * 4 + 8), bytes(size_t(stride * h), 0xEE) { }
    void set(int x, int y, int r, int g, int b)
    {
        uchar *p = bytes.data() + y * stride + x * 4;
        p[0] = uchar(b);
        p[1] = uchar(g);
        p[2] = uchar(r);
        p[3] = 255;
    }
    void fill(int r, int g, int b)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                set(x, y, r, g, b);
    }
    PixelView view() const { return {width, height, stride, bytes.data(), PixelView::bgra}; }
};

bool near(double a, double b, double eps = 1e-6)
{
    return std::abs(a - b) < eps;
}

RGB rgb255(int r, int g, int b)
{
    return {r / 255.0, g / 255.0, b / 255.0};
}

} // namespace

class TestOutlineColour : public QObject
{
    Q_OBJECT
private slots:
    void colourArithmetic()
    {
        const Contrast::Lab white = Contrast::oklab(RGB::white());
        QVERIFY(near(white.L, 1, 1e-6) && near(white.a, 0, 1e-6) && near(white.b, 0, 1e-6));
        const Contrast::Lab black = Contrast::oklab({0, 0, 0});
        QVERIFY(near(black.L, 0) && near(black.a, 0));
        QVERIFY(near(Contrast::luminance(RGB::white()), 1));
        QVERIFY(near(Contrast::ratio(RGB::white(), {0, 0, 0}), 21));
        QVERIFY(near(Contrast::ratio({0, 0, 0}, RGB::white()), 21));
        QVERIFY(near(Contrast::distance(Palette::colors[0], RGB::white()), 0.434085, 1e-5));
    }

    void tooClose_data()
    {
        QTest::addColumn<RGB>("other");
        QTest::addColumn<bool>("close");
        // Against (0.2, 0.5, 0.9).
        QTest::newRow("same colour") << RGB{0.2, 0.5, 0.9} << true;
        QTest::newRow("below 0.22") << RGB{0.25, 0.5, 0.9} << true;
        QTest::newRow("band, ratio 1.28") << RGB{0.0, 0.5, 0.3} << true;
        QTest::newRow("band, ratio 2.85") << RGB{0.0, 0.0, 0.8} << false;
        QTest::newRow("far") << RGB::white() << false;
    }
    void tooClose()
    {
        QFETCH(RGB, other);
        QFETCH(bool, close);
        QCOMPARE(Contrast::tooClose(other, {0.2, 0.5, 0.9}), close);
    }

    void arrowOutline()
    {
        const RGB red = Palette::colors[0];
        const RGB yellow = Palette::colors[1];
        QCOMPARE(Contrast::outline(QList<RGB>(28, red), red), RGB::white());
        QCOMPARE(Contrast::outline(QList<RGB>(28, yellow), yellow), RGB::nearBlack());
        QList<RGB> oneClose(27, RGB{0.1, 0.3, 0.9});
        oneClose.append(red);
        QVERIFY(!Contrast::outline(oneClose, red));
        QVERIFY(!Contrast::outline(QList<RGB>(28, RGB::white()), red));
    }

    void areaOutline()
    {
        const RGB blue = Palette::colors[3];
        QVERIFY(!Contrast::areaOutline(QList<RGB>(20, RGB::white()), blue)); // flat and far
        QList<RGB> checker;
        for (int i = 0; i < 20; ++i)
            checker.append(i % 2 ? RGB{0, 0, 0} : RGB::white());
        QVERIFY(Contrast::busyness(checker) > 0.09);
        QCOMPARE(Contrast::areaOutline(checker, blue), RGB::white()); // busy: dark mark
        QCOMPARE(Contrast::areaOutline(checker, Palette::colors[1]), RGB::nearBlack()); // light mark
        QVERIFY(!Contrast::areaOutline(QList<RGB>(2, blue), blue)); // too few samples
        QList<RGB> someClose(17, RGB::white());
        someClose << blue << blue << blue; // 15 %
        QCOMPARE(Contrast::areaOutline(someClose, blue), RGB::white());
        QCOMPARE(Contrast::busyness({RGB::white()}), 0.0);
    }

    void samplerShrinksLargePictures()
    {
        std::vector<uchar> bytes(size_t(4000) * 1000 * 4, 0);
        const auto sampler = PixelSampler::make({4000, 1000, 16000, bytes.data(), PixelView::bgra}, 1280);
        QVERIFY(sampler);
        QCOMPARE(sampler->width(), 1280);
        QCOMPARE(sampler->height(), 320);

        Picture small(3, 2);
        small.fill(10, 20, 30);
        const auto same = PixelSampler::make(small.view(), 1280); // never enlarged
        QCOMPARE(same->width(), 3);
        QCOMPARE(same->height(), 2);

        QVERIFY(!PixelSampler::make({0, 10, 0, bytes.data(), PixelView::bgra}));
        QVERIFY(!PixelSampler::make({10, 10, 20, bytes.data(), PixelView::bgra})); // rows too short
        QVERIFY(!PixelSampler::make({10, 10, 40, nullptr, PixelView::bgra}));
    }

    void samplerKeepsAFlatColourWhenShrinking()
    {
        Picture big(3840, 2160);
        big.fill(200, 100, 50);
        const auto sampler = PixelSampler::make(big.view());
        QCOMPARE(sampler->width(), 1280);
        QCOMPARE(sampler->height(), 720);
        QCOMPARE(sampler->color(0.5, 0.5), rgb255(200, 100, 50));
        QCOMPARE(sampler->color(1, 1), rgb255(200, 100, 50));
    }

    void samplerAveragesAtTheCorners()
    {
        Picture p(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.set(x, y, x * 10, y * 10, 100 + x + y);
        const auto s = PixelSampler::make(p.view());
        // Top-left: the 2 × 2 corner block.
        QCOMPARE(s->color(0, 0), rgb255(5, 5, 101));
        // Bottom-right: x = Int(1 × 4) clamped to 3.
        QCOMPARE(s->color(1, 1), rgb255(25, 25, 105));
        // Inside: a full 3 × 3 block around pixel (1, 1).
        QCOMPARE(s->color(0.3, 0.3), rgb255(10, 10, 102));
        // Not numbers and infinities are clamped, never converted.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(s->color(nan, inf), rgb255(5, 25, 103));
        QCOMPARE(s->color(-inf, -5), rgb255(5, 5, 101));
    }

    void samplerReadsBothByteOrders()
    {
        const uchar bgra[] = {10, 20, 30, 255};
        const uchar rgba[] = {30, 20, 10, 255};
        const auto a = PixelSampler::make({1, 1, 4, bgra, PixelView::bgra});
        const auto b = PixelSampler::make({1, 1, 4, rgba, PixelView::rgba});
        QCOMPARE(a->color(0.5, 0.5), rgb255(30, 20, 10));
        QCOMPARE(b->color(0.5, 0.5), rgb255(30, 20, 10));
        QCOMPARE(a->data(), (std::vector<uchar>{30, 20, 10, 255}));
    }

    void colourUnderAPoint()
    {
        Picture red(10, 10);
        red.fill(255, 0, 0);
        const auto sampler = PixelSampler::make(red.view());
        const RGB canvas{0.5, 0.5, 0.5};
        CanvasGeometry g({{QRectF(0, 0, 100, 100), QRectF(0, 0, 100, 100), sampler},
                          {QRectF(50, 50, 100, 100), QRectF(50, 50, 100, 100), nullptr}},
                         canvas);
        QCOMPARE(g.color({10, 10}), rgb255(255, 0, 0));
        QCOMPARE(g.color({60, 60}), canvas); // the top layer has no picture
        QCOMPARE(g.color({200, 10}), canvas);
        QVERIFY(g.contains({149, 149}) && !g.contains({150, 10}));

        const QList<RGB> along = g.colors({0, 10}, {200, 10}, 3);
        QCOMPARE(along.size(), 3);
        QCOMPARE(along[0], rgb255(255, 0, 0));
        QCOMPARE(along[2], canvas);
        QCOMPARE(g.colors({10, 10}, {200, 10}, 1), QList<RGB>{rgb255(255, 0, 0)});
        QVERIFY(g.colors({10, 10}, {200, 10}, 0).isEmpty());
    }

    void outlinesOverPictures()
    {
        Picture red(64, 64);
        red.fill(255, 41, 31); // the palette's red
        const auto sampler = PixelSampler::make(red.view());
        const CanvasGeometry g(QRectF(0, 0, 640, 640), QRectF(0, 0, 640, 640), sampler, RGB::white());
        const RGB mark = Palette::colors[0];
        QCOMPARE(g.arrowOutline(mark, {10, 10}, {600, 600}), RGB::white());
        QVERIFY(!g.arrowOutline(Palette::colors[3], {10, 10}, {600, 600}));
        QCOMPARE(g.outline(mark, QRectF(100, 100, 200, 100)), RGB::white()); // a dark mark
        QCOMPARE(g.outline(Palette::colors[1], QRectF(100, 100, 200, 100)), std::nullopt);
        QVERIFY(!g.outline(mark, QRectF(700, 700, 50, 50))); // on no layer
        QVERIFY(!g.outline(mark, QRectF(100, 100, 0, 50)));
        QVERIFY(!g.outline(mark, QRectF(100, 100, std::numeric_limits<double>::infinity(), 50)));
        QCOMPARE(g.busyness({320, 320}, 14), 0.0);
    }
};

QUILLET_TEST_MAIN_CORE(TestOutlineColour)
#include "tst_outlinecolour.moc"
