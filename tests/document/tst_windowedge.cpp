#include "document/WindowEdge.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<WindowEdge>)

class TestWindowEdge : public QObject {
    Q_OBJECT
private slots:
    void edgeOfPoint_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("edge");
        // An 800 x 600 window, y up.
        QTest::newRow("left band") << QPointF(5, 300) << int(WindowEdge::left);
        QTest::newRow("left near the top corner") << QPointF(5, 590) << int(WindowEdge::topLeft);
        QTest::newRow("top band near the left") << QPointF(20, 597) << int(WindowEdge::topLeft);
        QTest::newRow("top band") << QPointF(400, 597) << int(WindowEdge::top);
        QTest::newRow("under the top band") << QPointF(400, 592) << Edge::noneRaw;
        QTest::newRow("outside within the margin") << QPointF(-3, 300) << int(WindowEdge::left);
        QTest::newRow("outside beyond the margin") << QPointF(-5, 300) << Edge::noneRaw;
        QTest::newRow("right near the bottom") << QPointF(795, 20) << int(WindowEdge::bottomRight);
        QTest::newRow("bottom band") << QPointF(30, 5) << int(WindowEdge::bottom);
        QTest::newRow("middle") << QPointF(400, 300) << Edge::noneRaw;
    }
    void edgeOfPoint()
    {
        QFETCH(QPointF, point);
        QFETCH(int, edge);
        QCOMPARE(Edge::toRaw(EdgeGrab::edge(point, QSizeF(800, 600), EdgeGrab::canvas())), edge);
    }

    void rawValues()
    {
        QCOMPARE(Edge::fromRaw(3), std::optional(WindowEdge::right));
        QVERIFY(!Edge::fromRaw(8));
        QVERIFY(!Edge::fromRaw(12));
        QVERIFY(!Edge::fromRaw(-1));
        QCOMPARE(Edge::all().size(), 8);
    }

    void zones()
    {
        QVERIFY(Edge::zones(52, 600, 10, 6, 26).isEmpty());
        const auto z = Edge::zones(800, 600, 10, 6, 26);
        QCOMPARE(z.size(), 12);
        QCOMPARE(z.at(0).first, WindowEdge::left);
        QCOMPARE(z.at(0).second, QRectF(0, 26, 10, 548));
        QCOMPARE(z.at(3).second, QRectF(26, 594, 748, 6));
        QCOMPARE(z.at(11).first, WindowEdge::topRight);
        QCOMPARE(z.at(11).second, QRectF(790, 574, 10, 26));
    }

    void resize_data()
    {
        QTest::addColumn<int>("edge");
        QTest::addColumn<bool>("fromCentre");
        QTest::addColumn<double>("limit");
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<QRectF>("expected");
        const QRectF f(100, 100, 800, 600); // top at 700
        QTest::newRow("right") << int(WindowEdge::right) << false << 2000.0 << f << QPointF(100, 0)
                               << QRectF(100, 100, 900, 600);
        QTest::newRow("right from the centre") << int(WindowEdge::right) << true << 2000.0 << f << QPointF(100, 0)
                                               << QRectF(0, 100, 1000, 600);
        QTest::newRow("left keeps the right side") << int(WindowEdge::left) << false << 2000.0 << f
                                                   << QPointF(-100, 0) << QRectF(0, 100, 900, 600);
        QTest::newRow("left stops at the minimum") << int(WindowEdge::left) << false << 2000.0 << f
                                                   << QPointF(500, 0) << QRectF(260, 100, 640, 600);
        QTest::newRow("bottom down") << int(WindowEdge::bottom) << false << 2000.0 << f << QPointF(0, -50)
                                     << QRectF(100, 50, 800, 650);
        QTest::newRow("top stops at the limit") << int(WindowEdge::top) << false << 750.0 << f << QPointF(0, 200)
                                                << QRectF(100, 100, 800, 650);
        QTest::newRow("top started above the limit") << int(WindowEdge::top) << false << 650.0 << f
                                                     << QPointF(0, 200) << QRectF(100, 100, 800, 800);
        QTest::newRow("from the centre, cut at the limit") << int(WindowEdge::top) << true << 500.0
                                                           << QRectF(100, 100, 800, 400) << QPointF(0, 10)
                                                           << QRectF(100, 90, 800, 410);
        // At its minimum height a cut would leave the window no taller than the minimum: uncut.
        QTest::newRow("cut would reach the minimum") << int(WindowEdge::top) << false << 500.0
                                                     << QRectF(100, 100, 800, 400) << QPointF(0, 30)
                                                     << QRectF(100, 100, 800, 430);
    }
    void resize()
    {
        QFETCH(int, edge);
        QFETCH(bool, fromCentre);
        QFETCH(double, limit);
        QFETCH(QRectF, frame);
        QFETCH(QPointF, delta);
        QFETCH(QRectF, expected);
        QCOMPARE(Edge::resize(WindowEdge(edge), fromCentre, limit, false, frame, delta, QSizeF(640, 400)),
                 expected);
    }

    void noLimitIgnoresTheTop()
    {
        const QRectF f(100, 100, 800, 600);
        QCOMPARE(Edge::resize(WindowEdge::top, false, 750, true, f, QPointF(0, 200), QSizeF(640, 400)),
                 QRectF(100, 100, 800, 800));
    }

    void extendOnlyGrows()
    {
        const QRectF f(100, 100, 800, 600);
        const QRectF screen(0, 0, 1920, 1050);
        QCOMPARE(Edge::extend(WindowEdge::bottomRight, f, screen), QRectF(100, 0, 1820, 700));
        QCOMPARE(Edge::extend(WindowEdge::top, f, screen), QRectF(100, 100, 800, 950));
        QCOMPARE(Edge::extend(WindowEdge::left, f, QRectF(200, 200, 100, 100)), f);
    }

    void innerRect()
    {
        QCOMPARE(EdgeGrab::innerRect(QSizeF(800, 600), 10, 6), QRectF(10, 10, 780, 584));
        QCOMPARE(EdgeGrab::innerRect(QSizeF(12, 8), 10, 6), QRectF(10, 10, 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestWindowEdge)
#include "tst_windowedge.moc"
