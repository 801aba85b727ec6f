#include "document/RailGrid.h"

#include "TestEnv.h"

#include <limits>

using RailGrid::Move;
using RailGrid::Shape;

Q_DECLARE_METATYPE(RailGrid::Move)

namespace {
constexpr double unbounded = std::numeric_limits<double>::max();
}

class TestRailGrid : public QObject
{
    Q_OBJECT
private slots:
    void columns_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("thumb");
        QTest::addColumn<double>("window");
        QTest::addColumn<double>("expWidth");
        QTest::addColumn<double>("expThumb");
        QTest::addColumn<int>("expColumns");
        QTest::newRow("one column") << 184.0 << 132.0 << unbounded << 184.0 << 132.0 << 1;
        QTest::newRow("334 gives two") << 334.0 << 132.0 << unbounded << 334.0 << 132.0 << 2;
        QTest::newRow("333 gives one") << 333.0 << 132.0 << unbounded << 333.0 << 132.0 << 1;
        QTest::newRow("484 gives three") << 484.0 << 132.0 << unbounded << 484.0 << 132.0 << 3;
        QTest::newRow("no upper limit") << 700.0 << 100.0 << 2000.0 << 700.0 << 100.0 << 5;
        QTest::newRow("small window holds the rail narrow") << 500.0 << 300.0 << 600.0 << 148.0 << 96.0 << 1;
        QTest::newRow("window clamps width, thumb capped") << 1000.0 << 400.0 << 1200.0 << 680.0 << 360.0 << 1;
        QTest::newRow("tiny thumb becomes 96") << 300.0 << 50.0 << unbounded << 300.0 << 96.0 << 2;
        QTest::newRow("tiny width becomes 148") << 100.0 << 50.0 << unbounded << 148.0 << 96.0 << 1;
        QTest::newRow("width grows to hold the thumb") << 150.0 << 200.0 << unbounded << 252.0 << 200.0 << 1;
        QTest::newRow("halves round away from zero") << 200.5 << 132.5 << unbounded << 201.0 << 133.0 << 1;
    }
    void columns()
    {
        QFETCH(double, width);
        QFETCH(double, thumb);
        QFETCH(double, window);
        QFETCH(double, expWidth);
        QFETCH(double, expThumb);
        QFETCH(int, expColumns);
        const Shape s = RailGrid::columns(width, thumb, window);
        QCOMPARE(s.width, expWidth);
        QCOMPARE(s.thumb, expThumb);
        QCOMPARE(s.columns, expColumns);
    }

    void thumbHeight_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("height");
        QTest::newRow("16:9") << 0.5625 << 74.0;
        QTest::newRow("tall capped at 15/11") << 3.0 << 180.0;
        QTest::newRow("wide floored at 0.27") << 0.1 << 36.0;
        QTest::newRow("exactly 0.27") << 0.27 << 36.0;
    }
    void thumbHeight()
    {
        QFETCH(double, ratio);
        QFETCH(double, height);
        QCOMPARE(RailGrid::thumbHeight(132, ratio), height);
    }

    void frames()
    {
        const QList<double> heights{100, 80, 120};
        const RailGrid::Frames f = RailGrid::frames(heights, 2, 330.0, 132);
        QCOMPARE(f.frames, (QList<QRectF>{QRectF(16, 16, 132, 100), QRectF(166, 26, 132, 80),
                                          QRectF(16, 134, 132, 120)}));
        QCOMPARE(f.height, 272.0);

        const RailGrid::Frames wide = RailGrid::frames(heights, 2, 400.0, 132);
        QCOMPARE(wide.frames.first().left(), 49.0);
        QCOMPARE(wide.frames.last().left(), 49.0); // a short last row starts at the left edge too
        QCOMPARE(RailGrid::frames(heights, 2, std::nullopt, 132).frames.first().left(), 16.0);

        const RailGrid::Frames none = RailGrid::frames({}, 3, 400.0, 132);
        QVERIFY(none.frames.isEmpty());
        QCOMPARE(none.height, 16.0);

        // a column count below 1 lays out one column
        QCOMPARE(RailGrid::frames({50, 50}, 0, std::nullopt, 100).frames.last(), QRectF(16, 84, 100, 50));
    }

    void step_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Move>("move");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected"); // -1: none
        QTest::newRow("up from the first") << 0 << Move::up << 5 << -1;
        QTest::newRow("left from the first") << 0 << Move::left << 5 << -1;
        QTest::newRow("down from the last") << 4 << Move::down << 5 << -1;
        QTest::newRow("right from the last") << 4 << Move::right << 5 << -1;
        QTest::newRow("down is the next, not a row") << 5 << Move::down << 9 << 6;
        QTest::newRow("up is the previous") << 5 << Move::up << 9 << 4;
        QTest::newRow("index past the end") << 9 << Move::left << 9 << -1;
        QTest::newRow("negative index") << -1 << Move::right << 9 << -1;
    }
    void step()
    {
        QFETCH(int, index);
        QFETCH(Move, move);
        QFETCH(int, count);
        QFETCH(int, expected);
        QCOMPARE(RailGrid::step(index, move, count).value_or(-1), expected);
    }

    void span_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("backwards") << "d" << "b" << QStringList{"b", "c", "d"};
        QTest::newRow("forwards") << "a" << "c" << QStringList{"a", "b", "c"};
        QTest::newRow("same key") << "c" << "c" << QStringList{"c"};
        QTest::newRow("from missing") << "x" << "c" << QStringList{"c"};
        QTest::newRow("to missing") << "b" << "x" << QStringList{};
    }
    void span()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, expected);
        const QStringList keys{"a", "b", "c", "d"};
        QCOMPARE(RailGrid::span(keys, from, to), expected);
    }
};

QUILLET_TEST_MAIN_CORE(TestRailGrid)
#include "tst_railgrid.moc"
