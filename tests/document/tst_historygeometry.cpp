#include "document/Angle.h"
#include "document/History.h"
#include "document/Markup.h"
#include "document/Plane.h"

#include "TestEnv.h"

#include <cmath>
#include <limits>

class TestHistoryGeometry : public QObject
{
    Q_OBJECT
private slots:
    void undoRedoSequence()
    {
        History<QString> h;
        QVERIFY(!h.undo("x"));
        QVERIFY(!h.redo("x"));
        QVERIFY(h.past.isEmpty() && h.future.isEmpty());

        h.record("a", "a"); // nothing changed
        QVERIFY(!h.canUndo());

        h.record("a", "b");
        h.record("b", "c");
        QCOMPARE(h.undo("c"), QStringLiteral("b"));
        QCOMPARE(h.past, QStringList{"a"});
        QCOMPARE(h.future, QStringList{"c"});
        QCOMPARE(h.undo("b"), QStringLiteral("a"));
        QCOMPARE(h.future, (QStringList{"c", "b"}));
        QVERIFY(!h.canUndo() && h.canRedo());
        QCOMPARE(h.redo("a"), QStringLiteral("b"));
        QCOMPARE(h.past, QStringList{"a"});
        QCOMPARE(h.future, QStringList{"c"});

        h.record("b", "b"); // an edit that changed nothing keeps the redo stack
        QCOMPARE(h.future, QStringList{"c"});
        h.record("b", "d");
        QVERIFY(h.future.isEmpty());
        QCOMPARE(h.past, (QStringList{"a", "b"}));
    }

    void historyOfDocuments()
    {
        History<Markup> h;
        Markup m = Markup::single(QRectF(0, 0, 100, 100), QSizeF(100, 100), 1);
        m.items.append(Item::arrowFrom({1, 1}, {50, 50}, 0, 2));
        const Markup before = m;
        m.moveItems({m.items[0].id}, 0, 0); // a drag that ended where it began
        h.record(before, m);
        QVERIFY(!h.canUndo());
        m.moveItems({m.items[0].id}, 1e-9, 0); // Qt's fuzzy == would miss this one
        h.record(before, m);
        QVERIFY(h.canUndo());
        QCOMPARE(*h.undo(m), before);
    }

    void snap_data()
    {
        QTest::addColumn<QPointF>("fixed");
        QTest::addColumn<QPointF>("moving");
        QTest::addColumn<double>("step");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("same point") << QPointF(3, 4) << QPointF(3, 4) << 15.0 << QPointF(3, 4);
        QTest::newRow("near horizontal")
            << QPointF(0, 0) << QPointF(10, 1) << 15.0 << QPointF(std::hypot(10, 1), 0);
        const double r = std::hypot(10, 4);
        const double a = 15 * 3.141592653589793 / 180;
        QTest::newRow("21.8 degrees to 15")
            << QPointF(0, 0) << QPointF(10, 4) << 15.0 << QPointF(r * std::cos(a), r * std::sin(a));
        QTest::newRow("around another point")
            << QPointF(100, 100) << QPointF(100, 90) << 15.0 << QPointF(100, 90);
        QTest::newRow("negative step as the positive one")
            << QPointF(0, 0) << QPointF(10, 4) << -15.0 << QPointF(r * std::cos(a), r * std::sin(a));
        QTest::newRow("no step") << QPointF(0, 0) << QPointF(10, 4) << 0.0 << QPointF(10, 4);
        QTest::newRow("infinite step") << QPointF(0, 0) << QPointF(10, 4)
                                       << std::numeric_limits<double>::infinity() << QPointF(10, 4);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("distance not a number")
            << QPointF(0, 0) << QPointF(nan, 1) << 15.0 << QPointF(nan, 1);
    }
    void snap()
    {
        QFETCH(QPointF, fixed);
        QFETCH(QPointF, moving);
        QFETCH(double, step);
        QFETCH(QPointF, expected);
        const QPointF got = Angle::snap(fixed, moving, step);
        if (std::isnan(expected.x())) {
            QVERIFY(std::isnan(got.x()));
            return;
        }
        QVERIFY2(std::abs(got.x() - expected.x()) < 1e-9 && std::abs(got.y() - expected.y()) < 1e-9,
                 qPrintable(QStringLiteral("%1,%2").arg(got.x()).arg(got.y())));
    }

    void snapKeepsTheDistance()
    {
        const QPointF p = Angle::snap({0, 0}, {10, 4}, 15);
        QVERIFY(std::abs(p.x() - 10.40) < 0.01 && std::abs(p.y() - 2.79) < 0.01);
        QVERIFY(std::abs(Plane::distance({0, 0}, p) - 10.77) < 0.01);
    }

    void planeHelpers()
    {
        QVERIFY(Plane::same(Plane::rectFromPoints({10, 10}, {4, 20}), QRectF(4, 10, 6, 10)));
        QCOMPARE(Plane::distance({0, 0}, {3, 4}), 5.0);
        const QRectF r(0, 0, 10, 20);
        QCOMPARE(Plane::outlineDistance({5, 10}, r), 5.0);
        QCOMPARE(Plane::outlineDistance({15, 5}, r), 5.0);
        QCOMPARE(Plane::outlineDistance({10, 5}, r), 0.0); // on the right edge: outside
        QCOMPARE(Plane::outlineDistance({0, 5}, r), 0.0); // on the left edge: inside
        QCOMPARE(Plane::rectDistance({13, 24}, r), 5.0);
        QCOMPARE(Plane::rectDistance({5, 5}, r), 0.0);
        QVERIFY(Plane::contains(r, QPointF(0, 0)));
        QVERIFY(!Plane::contains(r, QPointF(10, 0)));
        QVERIFY(Plane::contains(r, QRectF(0, 0, 10, 20)));
        QVERIFY(Plane::contains(r, QRectF(10, 20, 0, 0)));
        QVERIFY(!Plane::contains(r, QRectF(-1, 0, 5, 5)));
        QVERIFY(Plane::same(Plane::unite(QRectF(), QRectF(1, 2, 3, 4)), QRectF(1, 2, 3, 4)));
        QVERIFY(Plane::isNull(Plane::intersection(r, QRectF(30, 30, 5, 5))));
        QVERIFY(Plane::isEmpty(Plane::intersection(r, QRectF(10, 0, 5, 5))));
        QVERIFY(Plane::meets(r, QRectF(10, 0, 5, 5)));
        QVERIFY(!Plane::overlaps(r, QRectF(10, 0, 5, 5)));
        const QPointF a(1, 2), b(3, 5);
        QVERIFY(Plane::same(a - b, QPointF(-2, -3)));
        QVERIFY(Plane::same(a + b, QPointF(4, 7)));
        QVERIFY(Plane::same(a * 2.0, QPointF(2, 4)));
    }
};

QUILLET_TEST_MAIN_CORE(TestHistoryGeometry)
#include "tst_historygeometry.moc"
