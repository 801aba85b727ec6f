#include "document/NoteLayout.h"
#include "document/Plane.h"

#include "TestEnv.h"

Q_DECLARE_METATYPE(NoteLayout::Side)

namespace {
QString describe(const QRectF &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}
} // namespace

class TestNoteLayout : public QObject
{
    Q_OBJECT
private slots:
    void isWide()
    {
        QVERIFY(NoteLayout::isWide(1000, 400));
        QVERIFY(!NoteLayout::isWide(999, 400));
        QVERIFY(!NoteLayout::isWide(1000, 0));
        QVERIFY(!NoteLayout::isWide(0, 0));
    }

    void fit_data()
    {
        QTest::addColumn<QRectF>("shot");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<double>("k");
        QTest::addColumn<NoteLayout::Side>("side");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("fits: own size, notes beside")
            << QRectF(0, 0, 400, 300) << QRectF(0, 0, 2000, 1200) << 1.0 << NoteLayout::Side::beside
            << QRectF(520, 260, 400, 300);
        QTest::newRow("offset visible area")
            << QRectF(0, 0, 400, 300) << QRectF(100, 50, 2000, 1200) << 1.0
            << NoteLayout::Side::beside << QRectF(620, 310, 400, 300);
        QTest::newRow("wide: notes above, shrunk")
            << QRectF(0, 0, 1000, 400) << QRectF(0, 0, 1200, 1000) << 1.0 << NoteLayout::Side::above
            << QRectF(120, 170, 960, 384);
        QTest::newRow("too small: 2 %")
            << QRectF(0, 0, 1000, 800) << QRectF(0, 0, 100, 100) << 1.0 << NoteLayout::Side::beside
            << QRectF(32, 12, 20, 16);
        QTest::newRow("short area: centred vertically")
            << QRectF(0, 0, 200, 100) << QRectF(0, 0, 2000, 500) << 1.0 << NoteLayout::Side::beside
            << QRectF(620, 170, 200, 100);
        QTest::newRow("a wide strip goes above even with room beside")
            << QRectF(0, 0, 400, 100) << QRectF(0, 0, 2000, 500) << 1.0 << NoteLayout::Side::above
            << QRectF(800, 170, 400, 100);
    }
    void fit()
    {
        QFETCH(QRectF, shot);
        QFETCH(QRectF, visible);
        QFETCH(double, k);
        QFETCH(NoteLayout::Side, side);
        QFETCH(QRectF, expected);
        QCOMPARE(NoteLayout::side(shot.size(), visible.size(), 60, k), side);
        const QRectF got = NoteLayout::fit(shot, visible, 60, k);
        QVERIFY2(Plane::same(got, expected), qPrintable(describe(got)));
    }

    void place_data()
    {
        QTest::addColumn<QRectF>("shot");
        QTest::addColumn<double>("k");
        QTest::addColumn<int>("side");
        QTest::addColumn<QPointF>("corner");
        QTest::addColumn<double>("width");
        // Visible area (0, 0, 1600, 1000): inset 32.
        QTest::newRow("wide with room above") << QRectF(100, 200, 1000, 300) << 1.0
            << int(TextSide::aboveLeading) << QPointF(100, 180) << 940.0;
        QTest::newRow("room on the right") << QRectF(100, 100, 400, 300) << 1.0
            << int(TextSide::right) << QPointF(540, 100) << 520.0;
        QTest::newRow("room on the right, k 2") << QRectF(100, 100, 400, 300) << 2.0
            << int(TextSide::right) << QPointF(580, 100) << 956.0;
        QTest::newRow("room on the left only") << QRectF(1100, 100, 400, 300) << 1.0
            << int(TextSide::right) << QPointF(540, 100) << 520.0;
        QTest::newRow("room below only") << QRectF(100, 32, 1400, 300) << 1.0
            << int(TextSide::right) << QPointF(100, 352) << 940.0;
        QTest::newRow("fills the area: inside") << QRectF(0, 0, 1600, 1000) << 1.0
            << int(TextSide::right) << QPointF(56, 52) << 520.0;
        QTest::newRow("fractional room is floored") << QRectF(100, 100, 400, 300) << 0.75
            << int(TextSide::right) << QPointF(530, 100) << 390.0;
    }
    void place()
    {
        QFETCH(QRectF, shot);
        QFETCH(double, k);
        QFETCH(int, side);
        QFETCH(QPointF, corner);
        QFETCH(double, width);
        const NoteLayout::Note note = NoteLayout::place(shot, QRectF(0, 0, 1600, 1000), k);
        QCOMPARE(int(note.side), side);
        QVERIFY2(Plane::same(note.corner, corner),
                 qPrintable(QStringLiteral("%1,%2").arg(note.corner.x()).arg(note.corner.y())));
        QCOMPARE(note.width, width);
    }

    void placeInsideASmallArea()
    {
        // The note is at least 200 k wide, or the (inset) visible width when smaller.
        const NoteLayout::Note note = NoteLayout::place(QRectF(0, 0, 150, 100), QRectF(0, 0, 150, 100), 1);
        QCOMPARE(note.width, 138.0); // 150 minus an inset of 0.04 × 150 on both sides
        QCOMPARE(note.corner, QPointF(6, 26));
    }

    void column()
    {
        auto check = [](double x, double left, double right, double cx, double width) {
            const NoteLayout::Column c = NoteLayout::column(x, left, right, 1);
            return c.x == cx && c.width == width;
        };
        QVERIFY(check(100, 0, 1000, 100, 520));
        QVERIFY(check(900, 0, 1000, 660, 340));
        QVERIFY(check(10, 0, 200, 0, 200));
        QVERIFY(check(600.5, 0, 1000, 600.5, 399));
    }
};

QUILLET_TEST_MAIN_CORE(TestNoteLayout)
#include "tst_notelayout.moc"
