#include "RailFixture.h"

#include "TestEnv.h"

class TestPageRail : public QObject
{
    Q_OBJECT
private slots:
    void reloadMakesThumbs()
    {
        RailFixture f;
        f.pages(3, 1, {1});
        QCOMPARE(f.rail->order().size(), 3);
        QCOMPARE(f.rail->order().at(1)->look.badge, QStringLiteral("✓ 2"));
        QVERIFY(f.rail->order().at(1)->look.tip.startsWith(QStringLiteral("Shot 2, done  (Ctrl+Up and Ctrl+Down")));
        QCOMPARE(f.rail->count(), 3);
    }
};

QUILLET_TEST_MAIN(TestPageRail)
#include "tst_pagerail.moc"
