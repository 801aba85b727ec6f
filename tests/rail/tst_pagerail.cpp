#include "RailFixture.h"

#include "TestEnv.h"

#include <QScrollArea>

namespace {
using Row = PageRail::Row;

QStringList keysOf(const PageRail *rail)
{
    QStringList keys;
    for (const RailThumb *t : rail->order())
        keys.append(t->key);
    return keys;
}
} // namespace

class TestPageRail : public QObject
{
    Q_OBJECT
private slots:
    void badgesAndTips()
    {
        RailFixture f;
        f.pages(3, 0, {1});
        QCOMPARE(f.rail->count(), 3);
        const QList<RailThumb *> order = f.rail->order();
        QCOMPARE(order.size(), 3);
        QCOMPARE(order.at(0)->look.badge, QStringLiteral("1"));
        QVERIFY(order.at(0)->look.isCurrent);
        QCOMPARE(order.at(1)->look.badge, QStringLiteral("✓ 2"));
        QVERIFY(!order.at(1)->look.isCurrent);
        QCOMPARE(order.at(1)->look.tip,
                 QStringLiteral("Shot 2, done  (Ctrl+Up and Ctrl+Down move between shots; Shift-click picks several)"));
        QCOMPARE(order.at(2)->look.tip.left(8), QStringLiteral("Shot 3  "));
        QCOMPARE(order.at(1)->toolTip(), order.at(1)->look.tip);
    }

    void rowsPickKeysAndSkip()
    {
        RailFixture f;
        const QDateTime old = QDateTime::currentDateTime().addSecs(-7200);
        const QList<PageRail::Recent> recents{{"r1", "k", RailFixture::picture(100, 60), old},
                                              {"r1", "other", {}, old}}; // a second r1 does not count
        // the same earlier capture twice, a page past the end, an unknown capture, a negative page
        const QList<Row> rows{Row::ofPage(0), Row::ofRecent("r1"), Row::ofRecent("r1"), Row::ofPage(1),
                              Row::ofRecent("gone"), Row::ofPage(-1)};
        f.rail->reload({RailFixture::picture(160, 100)}, {"a"}, 0, recents, {}, rows);
        QCOMPARE(keysOf(f.rail), (QStringList{"a", "k", "k 2"}));
        QCOMPARE(f.rail->order().at(1)->look.badge, QStringLiteral("2 h ago"));
        QCOMPARE(f.rail->order().at(1)->row, Row::ofRecent("r1"));
        QCOMPARE(f.rail->order().at(1)->look.tip,
                 QStringLiteral("Open this capture here to keep working on it (Shift-click picks several)"));

        // without rows: every page, then every recent in the given order; a page without a key
        // uses its index
        f.rail->reload({{}, {}}, {"a"}, 1, {{"r2", "q", {}, old}}, {});
        QCOMPARE(keysOf(f.rail), (QStringList{"a", "1", "q"}));
    }

    void thumbsKeptPerKeyAndPicksPruned()
    {
        RailFixture f;
        f.pages(4, 0);
        RailThumb *second = f.rail->thumbFor("p1");
        f.rail->pressThumb(f.rail->thumbFor("p2"), {}, Qt::ShiftModifier); // picks p0..p2
        QCOMPARE(f.rail->picked().size(), 3);

        // p2 goes away: p1 keeps its view, the picks keep only the keys that remain
        f.rail->reload({RailFixture::picture(160, 100), RailFixture::picture(160, 100),
                        RailFixture::picture(160, 100)},
                       {"p0", "p1", "p3"}, 0, {}, {});
        QCOMPARE(f.rail->thumbFor("p1"), second);
        QCOMPARE(f.rail->picked(), (QSet<QString>{"p0", "p1"}));
        QCOMPARE(f.rail->anchorKey(), std::optional<QString>("p0")); // still there
        QVERIFY(!f.rail->leadKey());                                  // the lead p2 is gone

        f.rail->reload({}, {}, 0, {}, {});
        QVERIFY(f.rail->order().isEmpty());
        QVERIFY(f.rail->picked().isEmpty());
        QCOMPARE(f.rail->count(), 0);
    }

    void neverLaidOutDropsLeavingAtOnce()
    {
        FakeScheduler clock;
        PageRail rail(clock); // never shown, never laid out with thumbnails
        rail.reload({}, {}, 0, {}, {});
        QVERIFY(!rail.laidOut());
        rail.reload({RailFixture::picture(10, 10)}, {"a"}, 0, {}, {});
        QPointer<RailThumb> a = rail.thumbFor("a");
        rail.reload({}, {}, 0, {}, {});
        QVERIFY(a->leaving());
        QVERIFY(a->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!a);
    }

    void leavingFadesWhenLaidOut()
    {
        RailFixture f;
        f.pages(2);
        QPointer<RailThumb> gone = f.rail->thumbFor("p1");
        f.pages(1);
        QVERIFY(gone && gone->leaving() && gone->isVisible());
        QVERIFY(gone->testAttribute(Qt::WA_TransparentForMouseEvents));
        f.clock.advance(0.08);
        QVERIFY(gone->opacity() > 0.2 && gone->opacity() < 0.8);
        f.settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!gone);
    }

    void restyleOnlyWhatChanged()
    {
        RailFixture f;
        f.pages(5, 0);
        QList<int> before;
        for (RailThumb *t : f.rail->order())
            before.append(t->restyledForTest);
        // switching the current page from 0 to 1 restyles those two only
        QList<QImage> pics;
        for (RailThumb *t : f.rail->order())
            pics.append(t->look.picture);
        f.rail->reload(pics, {"p0", "p1", "p2", "p3", "p4"}, 1, {}, {});
        QList<int> changed;
        for (int i = 0; i < 5; ++i)
            changed.append(f.rail->order().at(i)->restyledForTest - before.at(i));
        QCOMPARE(changed, (QList<int>{1, 1, 0, 0, 0}));
    }

    void shapeMemory_data()
    {
        QTest::addColumn<QSize>("first");
        QTest::addColumn<QSize>("second"); // empty: no picture
        QTest::addColumn<double>("ratio");
        QTest::newRow("small to full within 2 %") << QSize(1000, 560) << QSize(2000, 1130) << 0.56;
        QTest::newRow("a new shape") << QSize(1000, 560) << QSize(1000, 750) << 0.75;
        QTest::newRow("picture gone keeps the shape") << QSize(1000, 750) << QSize() << 0.75;
        QTest::newRow("very wide is at least 0.5") << QSize(1000, 100) << QSize(1000, 100) << 0.5;
    }
    void shapeMemory()
    {
        QFETCH(QSize, first);
        QFETCH(QSize, second);
        QFETCH(double, ratio);
        RailFixture f;
        f.rail->reload({RailFixture::picture(first.width(), first.height())}, {"a"}, 0, {}, {});
        const QImage next = second.isEmpty() ? QImage() : RailFixture::picture(second.width(), second.height());
        f.rail->reload({next}, {"a"}, 0, {}, {});
        QCOMPARE(f.rail->thumbHeights().first(), RailGrid::thumbHeight(132, ratio));
    }

    void noPictureIsAnEmptyCard()
    {
        RailFixture f;
        f.rail->reload({QImage()}, {"a"}, 0, {}, {});
        QCOMPARE(f.rail->thumbHeights(), (QList<double>{RailGrid::thumbHeight(132, 0.62)}));
        QVERIFY(!f.rail->ratioFor("a")); // nothing remembered without a picture
    }

    void agoText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<int>("days"); // calendar days back, used when seconds is -1
        QTest::addColumn<QString>("expected");
        QTest::newRow("future") << qint64(-30) << 0 << "now";
        QTest::newRow("59 s") << qint64(59) << 0 << "now";
        QTest::newRow("60 s") << qint64(60) << 0 << "1 min ago";
        QTest::newRow("3599 s") << qint64(3599) << 0 << "59 min ago";
        QTest::newRow("3600 s") << qint64(3600) << 0 << "1 h ago";
        QTest::newRow("yesterday") << qint64(-1) << 1 << "yesterday";
        QTest::newRow("2 days") << qint64(-1) << 2 << "2 days ago";
        QTest::newRow("6 days") << qint64(-1) << 6 << "6 days ago";
        const QDate seven = QDate(2026, 3, 10).addDays(-7);
        QTest::newRow("7 days") << qint64(-1) << 7 << QLocale::system().toString(seven, QLocale::ShortFormat);
    }
    void agoText()
    {
        QFETCH(qint64, seconds);
        QFETCH(int, days);
        QFETCH(QString, expected);
        const QDateTime now(QDate(2026, 3, 10), QTime(9, 0));
        // calendar days: late on an earlier day, more than 24 hours before
        const QDateTime date = seconds != -1 ? now.addSecs(-seconds)
                                             : QDateTime(now.date().addDays(-days), QTime(8, 0));
        QCOMPARE(PageRail::agoText(date, now), expected);
    }

    void scrollsCurrentIntoView()
    {
        RailFixture f(QSize(184, 300));
        f.pages(8, 6);
        const QRectF current = f.rail->order().at(6)->cardFrame();
        const double top = f.rail->visibleTop();
        const double height = f.rail->scrollArea()->viewport()->height();
        QVERIFY(current.top() - 10 >= top - 1);
        QVERIFY(current.bottom() + 10 <= top + height + 1);
        QVERIFY(top > 0);
    }
};

QUILLET_TEST_MAIN(TestPageRail)
#include "tst_pagerail.moc"
