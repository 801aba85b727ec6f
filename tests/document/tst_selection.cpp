#include "document/Selection.h"

#include "TestEnv.h"

class TestSelection : public QObject
{
    Q_OBJECT
private slots:
    void rect_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("current");
        QTest::addColumn<bool>("square");
        QTest::addColumn<bool>("fromCentre");
        QTest::addColumn<QRectF>("expected");
        const QPointF s(100, 100), c(130, 90);
        QTest::newRow("plain") << s << c << false << false << QRectF(100, 90, 30, 10);
        QTest::newRow("square") << s << c << true << false << QRectF(100, 70, 30, 30);
        QTest::newRow("fromCentre") << s << c << false << true << QRectF(70, 90, 60, 20);
        QTest::newRow("square fromCentre") << s << c << true << true << QRectF(70, 70, 60, 60);
        QTest::newRow("zero dx counts as positive")
            << QPointF(50, 50) << QPointF(50, 80) << true << false << QRectF(50, 50, 30, 30);
        QTest::newRow("up and left") << s << QPointF(40, 20) << false << false << QRectF(40, 20, 60, 80);
        QTest::newRow("no movement") << s << s << false << false << QRectF(100, 100, 0, 0);
    }
    void rect()
    {
        QFETCH(QPointF, start);
        QFETCH(QPointF, current);
        QFETCH(bool, square);
        QFETCH(bool, fromCentre);
        QFETCH(QRectF, expected);
        QCOMPARE(Selection::rect(start, current, square, fromCentre), expected);
    }

    void move_data()
    {
        QTest::addColumn<QRectF>("r");
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<QRectF>("bounds");
        QTest::addColumn<QRectF>("expected");
        const QRectF b(0, 0, 200, 100);
        QTest::newRow("against left") << QRectF(10, 10, 50, 50) << QPointF(-30, 5) << b << QRectF(0, 15, 50, 50);
        QTest::newRow("against far corner") << QRectF(10, 10, 50, 50) << QPointF(500, 500) << b
                                            << QRectF(150, 50, 50, 50);
        QTest::newRow("wider than bounds") << QRectF(0, 0, 300, 50) << QPointF(0, 0) << b << QRectF(-100, 0, 300, 50);
        QTest::newRow("offset bounds") << QRectF(110, 60, 20, 20) << QPointF(-50, -50) << QRectF(100, 50, 100, 100)
                                       << QRectF(100, 50, 20, 20);
    }
    void move()
    {
        QFETCH(QRectF, r);
        QFETCH(QPointF, delta);
        QFETCH(QRectF, bounds);
        QFETCH(QRectF, expected);
        QCOMPARE(Selection::move(r, delta, bounds), expected);
    }

    void inScreen()
    {
        QCOMPARE(Selection::inScreen(QRectF(100, 50, 10, 10), QRectF(1440, -300, 1920, 1080), 900),
                 QRectF(-1340, -70, 10, 10));
        // The primary screen itself: nothing moves.
        QCOMPARE(Selection::inScreen(QRectF(100, 50, 10, 10), QRectF(0, 0, 1440, 900), 900),
                 QRectF(100, 50, 10, 10));
    }

    void firstContaining_data()
    {
        QTest::addColumn<QList<QRectF>>("rects");
        QTest::addColumn<QPointF>("p");
        QTest::addColumn<int>("index"); // -1: none
        const QRectF a(0, 0, 100, 100), b(50, 50, 100, 100);
        QTest::newRow("empty list") << QList<QRectF>{} << QPointF(1, 1) << -1;
        QTest::newRow("right edge is outside") << QList<QRectF>{a} << QPointF(100, 50) << -1;
        QTest::newRow("bottom edge is outside") << QList<QRectF>{a} << QPointF(50, 100) << -1;
        QTest::newRow("left top edge is inside") << QList<QRectF>{a} << QPointF(0, 0) << 0;
        QTest::newRow("overlap gives the first") << QList<QRectF>{b, a} << QPointF(60, 60) << 0;
        QTest::newRow("only the second") << QList<QRectF>{b, a} << QPointF(10, 10) << 1;
    }
    void firstContaining()
    {
        QFETCH(QList<QRectF>, rects);
        QFETCH(QPointF, p);
        QFETCH(int, index);
        const std::optional<QRectF> found = Selection::firstContaining(rects, p);
        QCOMPARE(found.has_value(), index >= 0);
        if (index >= 0)
            QCOMPARE(*found, rects.at(index));
    }
};

QUILLET_TEST_MAIN_CORE(TestSelection)
#include "tst_selection.moc"
