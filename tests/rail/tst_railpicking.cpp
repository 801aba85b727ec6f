#include "RailFixture.h"

#include "TestEnv.h"
#include "rail/RailDocument.h"

namespace {

// One mouse step on a thumbnail (by index) or the background (-1).
struct Step {
    enum Kind { press, release, drag, background } kind;
    int thumb = -1;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};

QPoint cardCenter(RailThumb *t)
{
    return QPoint(RailThumb::margin + int(t->cardFrame().width() / 2),
                  RailThumb::margin + int(t->cardFrame().height() / 2));
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestRailPicking : public QObject
{
    Q_OBJECT
private slots:
    void clicks_data()
    {
        QTest::addColumn<int>("current"); // -1: no current page
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QStringList>("picked");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<int>("pickCalls");
        QTest::addColumn<int>("drags");
        const auto P = [](int i, Qt::KeyboardModifiers m = Qt::NoModifier) { return Step{Step::press, i, m}; };
        const auto R = [](int i) { return Step{Step::release, i, {}}; };
        const auto D = [](int i) { return Step{Step::drag, i, {}}; };
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;

        QTest::newRow("ctrl-click joins the current page")
            << 0 << QList<Step>{P(2, ctrl), R(2)} << QStringList{"p0", "p2"} << QStringList{} << 1 << 0;
        QTest::newRow("ctrl-click again leaves only the current: no pick")
            << 0 << QList<Step>{P(2, ctrl), R(2), P(2, ctrl), R(2)} << QStringList{} << QStringList{} << 2 << 0;
        QTest::newRow("ctrl then shift picks the range, opens none")
            << 0 << QList<Step>{P(1, ctrl), R(1), P(3, shift), R(3)} << QStringList{"p1", "p2", "p3"}
            << QStringList{} << 2 << 0;
        QTest::newRow("shift without anchor or current picks itself")
            << -1 << QList<Step>{P(2, shift), R(2)} << QStringList{"p2"} << QStringList{} << 1 << 0;
        QTest::newRow("plain click on one of several picked opens on release")
            << 0 << QList<Step>{P(2, shift), R(2), P(1), R(1)} << QStringList{} << QStringList{"page 1"} << 1 << 0;
        QTest::newRow("moving first drags the picked instead")
            << 0 << QList<Step>{P(2, shift), R(2), P(1), D(1), R(1)} << QStringList{"p0", "p1", "p2"}
            << QStringList{} << 1 << 1;
        QTest::newRow("plain click on an unpicked thumb opens on press, no onPick")
            << 0 << QList<Step>{P(1, ctrl), R(1), P(3)} << QStringList{} << QStringList{"page 3"} << 1 << 0;
        QTest::newRow("background click clears and reports")
            << 0 << QList<Step>{P(2, shift), R(2), Step{Step::background}} << QStringList{} << QStringList{} << 2
            << 0;
    }
    void clicks()
    {
        QFETCH(int, current);
        QFETCH(QList<Step>, steps);
        QFETCH(QStringList, picked);
        QFETCH(QStringList, opened);
        QFETCH(int, pickCalls);
        QFETCH(int, drags);

        RailFixture f(QSize(184, 900));
        f.pages(4, current);
        QStringList opens;
        int picks = 0, fileAsks = 0;
        f.rail->onSelect = [&](int i) { opens.append(QStringLiteral("page %1").arg(i)); };
        f.rail->onPick = [&] { ++picks; };
        // a drag asks for files; none given, so no real drag starts
        f.rail->fileFor = [&](const PageRail::Row &) {
            ++fileAsks;
            return std::optional<RailDragOut::File>();
        };
        QList<RailThumb *> order = f.rail->order();
        for (const Step &s : steps) {
            RailThumb *t = s.thumb >= 0 ? order.at(s.thumb) : nullptr;
            switch (s.kind) {
            case Step::press:
                QTest::mousePress(t, Qt::LeftButton, s.mods, cardCenter(t));
                break;
            case Step::release:
                QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, cardCenter(t));
                break;
            case Step::drag:
                QTest::mouseMove(t, cardCenter(t) + QPoint(3, 0)); // within 4 pt: nothing yet
                QCOMPARE(fileAsks, 0);
                QTest::mouseMove(t, cardCenter(t) + QPoint(6, 0));
                QTest::mouseMove(t, cardCenter(t) + QPoint(9, 0)); // later moves start nothing more
                break;
            case Step::background:
                QTest::mouseClick(f.rail->document(), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(5, f.rail->document()->height() - 5));
                break;
            }
        }
        QStringList got(f.rail->picked().begin(), f.rail->picked().end());
        got.sort();
        QCOMPARE(got, picked);
        QCOMPARE(opens, opened);
        QCOMPARE(picks, pickCalls);
        QCOMPARE(fileAsks > 0 ? 1 : 0, drags);
        for (RailThumb *t : order)
            QCOMPARE(t->isSelected, f.rail->picked().contains(t->key));
    }

    void pressOnLeavingThumbDoesNothing()
    {
        RailFixture f;
        f.pages(3);
        RailThumb *gone = f.rail->thumbFor("p2");
        int opens = 0;
        f.rail->onSelect = [&](int) { ++opens; };
        f.pages(2);
        QVERIFY(gone->leaving());
        f.rail->pressThumb(gone, {}, Qt::NoModifier);
        QCOMPARE(opens, 0);
    }

    void keyboardSteps()
    {
        RailFixture f(QSize(484, 600));
        f.pages(6, 1);
        f.rail->shape = {484, 132, 3};
        f.rail->layoutThumbs(false, false);
        int picks = 0;
        f.rail->onPick = [&] { ++picks; };
        // down goes to the next thumbnail in display order, not down the column
        QVERIFY(f.rail->moveLead(RailGrid::Move::down));
        QCOMPARE(f.rail->pickedRows(), (QList<RailRow>{RailRow::ofPage(1), RailRow::ofPage(2)}));
        QVERIFY(f.rail->moveLead(RailGrid::Move::right));
        QVERIFY(f.rail->moveLead(RailGrid::Move::right));
        QVERIFY(f.rail->moveLead(RailGrid::Move::right));
        QCOMPARE(f.rail->leadKey(), std::optional<QString>("p5"));
        // at the end: false, nothing changes
        const QSet<QString> before = f.rail->picked();
        QVERIFY(!f.rail->moveLead(RailGrid::Move::right));
        QCOMPARE(f.rail->picked(), before);
        QCOMPARE(f.rail->anchorKey(), std::optional<QString>("p1"));
        QCOMPARE(picks, 4);
        // back over the anchor: the range turns round it
        for (int i = 0; i < 5; ++i)
            f.rail->moveLead(RailGrid::Move::up);
        QCOMPARE(f.rail->pickedRows(), (QList<RailRow>{RailRow::ofPage(0), RailRow::ofPage(1)}));
        f.rail->clearPicks();
        QVERIFY(f.rail->picked().isEmpty() && !f.rail->anchorKey() && !f.rail->leadKey());
    }

    void keyboardStepNeedsAnAnchor()
    {
        RailFixture f;
        f.pages(3, -1);
        QVERIFY(!f.rail->moveLead(RailGrid::Move::down));
        QVERIFY(f.rail->picked().isEmpty());
    }
};

QUILLET_TEST_MAIN(TestRailPicking)
#include "tst_railpicking.moc"
