#include "document/CropStop.h"
#include "document/Plane.h"

#include "TestEnv.h"

namespace {
const QRectF kBounds(0, 0, 1000, 800);

CropStop pointerAt(double want, double got = 500)
{
    return CropStop{QPointF(want, 0), QPointF(got, 0), true, false};
}
} // namespace

class TestCropStop : public QObject
{
    Q_OBJECT
private slots:
    void oneJoltPerApproach()
    {
        CropStop::Armed armed{false, false};
        QCOMPARE(pointerAt(497).nudge(false, armed, kBounds), QPoint(0, 0));
        QVERIFY(armed.x); // came within 4 pt
        QVERIFY(!armed.y); // the drag does not move y
        QCOMPARE(pointerAt(487).nudge(false, armed, kBounds), QPoint(-1, 0));
        QVERIFY(!armed.x);
        QCOMPARE(pointerAt(480).nudge(false, armed, kBounds), QPoint(0, 0)); // no second jolt
        QCOMPARE(pointerAt(499).nudge(false, armed, kBounds), QPoint(0, 0)); // back: arms again
        QCOMPARE(pointerAt(515).nudge(false, armed, kBounds), QPoint(1, 0));
    }

    void pushPastThreshold_data()
    {
        QTest::addColumn<double>("past");
        QTest::addColumn<int>("jolt");
        QTest::newRow("8 pt") << 8.0 << 0;
        QTest::newRow("exactly 12 pt") << 12.0 << 0;
        QTest::newRow("12.5 pt") << 12.5 << 1;
        QTest::newRow("12.5 pt the other way") << -12.5 << -1;
    }
    void pushPastThreshold()
    {
        QFETCH(double, past);
        QFETCH(int, jolt);
        CropStop::Armed armed;
        QCOMPARE(pointerAt(500 + past).nudge(false, armed, kBounds), QPoint(jolt, 0));
        QCOMPARE(armed.x, jolt == 0);
    }

    void panningArmsButNeverJolts()
    {
        CropStop::Armed armed{false, false};
        const CropStop both{QPointF(502, 300), QPointF(500, 320), true, true};
        QCOMPARE(both.nudge(true, armed, kBounds), QPoint(0, 0));
        QCOMPARE(armed, (CropStop::Armed{true, false}));
    }

    void noJoltWithinTheBandAtThePicturesEnd()
    {
        CropStop::Armed armed;
        // x pushed past near the left end of the picture; y would jolt on its own.
        const CropStop stop{QPointF(5, 300), QPointF(20, 320), true, true};
        QCOMPARE(stop.nudge(false, armed, kBounds), QPoint(0, 0));
        QCOMPARE(armed, CropStop::Armed());
        const CropStop yOnly{QPointF(5, 300), QPointF(20, 320), false, true};
        QCOMPARE(yOnly.nudge(false, armed, kBounds), QPoint(0, -1));
    }

    void limit_data()
    {
        QTest::addColumn<double>("want");
        QTest::addColumn<double>("got");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("allowed");
        QTest::newRow("0.4 pt toward a held stop") << 10.0 << 20.0 << 0.4 << 0.0;
        QTest::newRow("5 pt toward a held stop") << 10.0 << 20.0 << 5.0 << 5.0;
        QTest::newRow("cut to the room before the band") << 10.0 << 20.0 << 30.0 << 20.0;
        QTest::newRow("held far from the band") << 480.0 << 500.0 << 5.0 << 0.0;
        QTest::newRow("toward the high side") << 990.0 << 980.0 << -30.0 << -20.0;
        QTest::newRow("not held: unchanged") << 500.0 << 500.0 << -7.0 << -7.0;
        QTest::newRow("held, step away: unchanged") << 10.0 << 20.0 << -7.0 << -7.0;
    }
    void limit()
    {
        QFETCH(double, want);
        QFETCH(double, got);
        QFETCH(double, step);
        QFETCH(double, allowed);
        const CropStop stop{QPointF(want, 0), QPointF(got, 0), true, false};
        const QPointF result = stop.limit(QPointF(step, 9), kBounds);
        QCOMPARE(result.x(), allowed);
        QCOMPARE(result.y(), 0.0); // the drag does not move y
    }
};

QUILLET_TEST_MAIN_CORE(TestCropStop)
#include "tst_cropstop.moc"
