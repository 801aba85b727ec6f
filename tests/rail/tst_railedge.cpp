#include "rail/RailEdge.h"

#include "TestEnv.h"
#include "app/PreferenceReaders.h"

#include <QMenu>

class TestRailEdge : public QObject
{
    Q_OBJECT
private slots:
    void dragKeepsTheGrabOffset()
    {
        QWidget host;
        host.resize(800, 400);
        auto *edge = new RailEdge(&host);
        edge->setGeometry(170, 0, 22, 400); // rail 184 wide, edge 14 pt inside it
        host.show();
        QList<std::pair<double, bool>> widths;
        edge->onWidth = [&](double w, bool done) { widths.append({w, done}); };

        // a release without a press asks nothing
        QTest::mouseRelease(edge, Qt::LeftButton, {}, QPoint(10, 200));
        QVERIFY(widths.isEmpty());

        // press 3 pt right of the rail's edge (x 187 in the host), drag to 300
        QTest::mousePress(edge, Qt::LeftButton, {}, QPoint(17, 200));
        QCOMPARE(edge->held(), std::optional<double>(3));
        QCOMPARE(edge->gripColor(), Prefs::accentColor());
        QTest::mouseMove(edge, QPoint(300 - 170, 200));
        QTest::mouseRelease(edge, Qt::LeftButton, {}, QPoint(300 - 170, 200));
        QCOMPARE(widths.size(), 2);
        QCOMPARE(widths.at(0), std::make_pair(297.0, false));
        QCOMPARE(widths.at(1), std::make_pair(297.0, true));
        QVERIFY(!edge->held());
    }

    void cursorArrows_data()
    {
        QTest::addColumn<bool>("narrower");
        QTest::addColumn<bool>("wider");
        QTest::addColumn<int>("arrows");
        QTest::newRow("both ways") << true << true << int(RailEdge::Arrows::both);
        QTest::newRow("narrower only") << true << false << int(RailEdge::Arrows::left);
        QTest::newRow("wider only") << false << true << int(RailEdge::Arrows::right);
        QTest::newRow("neither still points right") << false << false << int(RailEdge::Arrows::right);
    }
    void cursorArrows()
    {
        QFETCH(bool, narrower);
        QFETCH(bool, wider);
        QFETCH(int, arrows);
        RailEdge edge;
        edge.setLimits(!narrower, !wider);
        edge.setLimits(narrower, wider);
        QCOMPARE(int(edge.arrows()), arrows);
        QCOMPARE(edge.cursor().shape(), Qt::BitmapCursor);
    }

    void gripLooks()
    {
        RailEdge edge;
        edge.resize(22, 400);
        QCOMPARE(edge.gripRect(), QRect(7, 178, 4, 44));
        QCOMPARE(edge.gripColor(), QColor(0, 0, 0, 51));
        QCOMPARE(edge.toolTip(), QStringLiteral("Drag to make the sidebar wider or narrower. Hold Ctrl and scroll "
                                                "over the thumbnails to size them."));
    }
};

QUILLET_TEST_MAIN(TestRailEdge)
#include "tst_railedge.moc"
