#include "document/GripGeometry.h"

#include "TestEnv.h"

// The handles of a rectangle and what dragging one does to it.
class TestGripGeometry : public QObject
{
    Q_OBJECT
private slots:
    void pointsGoRoundFromTopLeft()
    {
        const auto p = gripPoints(QRectF(0, 0, 100, 50));
        const std::array<QPointF, 8> want{QPointF(0, 0),    QPointF(50, 0),  QPointF(100, 0), QPointF(100, 25),
                                          QPointF(100, 50), QPointF(50, 50), QPointF(0, 50),  QPointF(0, 25)};
        QCOMPARE(p, want);
    }

    void resized_data()
    {
        QTest::addColumn<int>("handle");
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<QRectF>("limit");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<QRectF>("want");
        const QRectF wide(-1e6, -1e6, 2e6, 2e6);
        const QRectF picture(0, 0, 200, 200);
        // The rect is (50, 50, 100, 80) throughout.
        QTest::newRow("0 past the width stops at the minimum") << 0 << QPointF(500, 0) << wide << 4.0
                                                               << QRectF(146, 50, 4, 80);
        QTest::newRow("3 past the limit stops at it") << 3 << QPointF(500, 0) << picture << 4.0
                                                      << QRectF(50, 50, 150, 80);
        QTest::newRow("5 moves only the bottom") << 5 << QPointF(30, 20) << wide << 4.0 << QRectF(50, 50, 100, 100);
        QTest::newRow("7 moves only the left") << 7 << QPointF(-20, 30) << wide << 4.0 << QRectF(30, 50, 120, 80);
        QTest::newRow("2 moves top and right") << 2 << QPointF(10, -10) << wide << 4.0 << QRectF(50, 40, 110, 90);
        QTest::newRow("outside 0...7 changes nothing") << 8 << QPointF(10, 10) << wide << 4.0
                                                       << QRectF(50, 50, 100, 80);
        // A minimum larger than the picture: the crop stays on the picture.
        QTest::newRow("4 with a minimum beyond the limit") << 4 << QPointF(1, 1) << QRectF(50, 50, 120, 90) << 300.0
                                                           << QRectF(50, 50, 120, 90);
        QTest::newRow("0 with a minimum beyond the limit") << 0 << QPointF(-1, -1) << QRectF(40, 40, 110, 90)
                                                           << 300.0 << QRectF(40, 40, 110, 90);
    }
    void resized()
    {
        QFETCH(int, handle);
        QFETCH(QPointF, delta);
        QFETCH(QRectF, limit);
        QFETCH(double, minimum);
        QFETCH(QRectF, want);
        QCOMPARE(resizedRect(handle, QRectF(50, 50, 100, 80), delta.x(), delta.y(), limit, minimum), want);
    }
};

QUILLET_TEST_MAIN_CORE(TestGripGeometry)
#include "tst_gripgeometry.moc"
