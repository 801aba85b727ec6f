#include "canvas/CanvasChrome.h"
#include "canvas/CommentControls.h"

#include "TestEnv.h"

namespace {
QList<CanvasChrome::GripMark> marks(int n)
{
    QList<CanvasChrome::GripMark> out;
    for (int i = 0; i < n; ++i)
        out << CanvasChrome::GripMark{QPointF(20 + 30 * i, 40), 6.5, false};
    return out;
}
} // namespace

// The chrome over the canvas: grips and their growth, comment controls, the text box path.
class TestCanvasChrome : public QObject
{
    Q_OBJECT
private slots:
    void gripsAreReusedAndGrowOnce()
    {
        CanvasChrome chrome(QRect(0, 0, 400, 200));
        chrome.showGrips(marks(8), std::nullopt);
        QCOMPARE(chrome.shownGripSizes().size(), 8);
        chrome.showGrips(marks(3), std::nullopt);
        QCOMPARE(chrome.shownGripSizes(), QList<double>(3, 13.0));
        chrome.showGrips(marks(8), std::nullopt);
        QCOMPARE(chrome.gripsMade(), 8);
        QCOMPARE(chrome.growthsStarted(), 0);

        chrome.showGrips(marks(8), 2);
        chrome.showGrips(marks(8), 2);
        QCOMPARE(chrome.growthsStarted(), 1);
        // The size a grip grows or shrinks to counts at once, before its animation has run.
        QCOMPARE(chrome.shownGripSizes().at(2), 19.5);
        chrome.showGrips(marks(8), std::nullopt);
        QCOMPARE(chrome.growthsStarted(), 2);
        QCOMPARE(chrome.shownGripSizes().at(2), 13.0);

        // A grip hidden mid-growth comes back at its plain size.
        chrome.showGrips(marks(8), 5);
        chrome.showGrips(marks(3), std::nullopt);
        chrome.showGrips(marks(8), std::nullopt);
        QCOMPARE(chrome.shownGripSizes().at(5), 13.0);
    }

    void textBoxPath()
    {
        const auto path = CanvasChrome::textBoxPath(QRectF(10.3, 20.7, 100.4, 9.6));
        QVERIFY(path);
        QCOMPARE(path->boundingRect(), QRectF(10.5, 21.5, 100, 10));
        // Radius 5 (half the height): the path passes the middle of the left side at full width.
        QVERIFY(path->contains(QPointF(10.6, 26.5)));
        QVERIFY(!path->contains(QPointF(11, 22)));
        QVERIFY(!CanvasChrome::textBoxPath(QRectF(10, 10, 0, 20)));
        QVERIFY(!CanvasChrome::textBoxPath(std::nullopt));
    }

    void controlsHit_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("part"); // -1 none
        QTest::newRow("grip zone right and below") << QPointF(130, 120) << int(CommentControls::Part::grip);
        QTest::newRow("grip zone above") << QPointF(100, 95) << int(CommentControls::Part::grip);
        QTest::newRow("left of the grip") << QPointF(99, 110) << -1;
    }
    void controlsHit()
    {
        QFETCH(QPointF, point);
        QFETCH(int, part);
        const CommentControls::Layout grip{QRectF(-500, -500, 22, 22), QRectF(100, 100, 22, 22)};
        const auto got = CommentControls::hit(grip, point);
        QCOMPARE(got ? int(*got) : -1, part);
    }
    void trashHitAndOverlap()
    {
        const CommentControls::Layout trash{QRectF(100, 100, 22, 22), QRectF(-500, -500, 22, 22)};
        QCOMPARE(CommentControls::hit(trash, QPointF(95, 95)), CommentControls::Part::trash);
        QCOMPARE(CommentControls::hit(trash, QPointF(123, 110)), std::nullopt);
        const CommentControls::Layout both{QRectF(78, 100, 22, 22), QRectF(100, 100, 22, 22)};
        QCOMPARE(CommentControls::hit(both, QPointF(100, 110)), CommentControls::Part::grip);
        QCOMPARE(CommentControls::hit(both, QPointF(99, 110)), CommentControls::Part::trash);
    }

    void iconsAreDrawnOncePerKey()
    {
        const int before = CommentControls::iconsDrawn();
        const QImage a = CommentControls::icon(CommentControls::Part::grip, false, 2);
        const QImage b = CommentControls::icon(CommentControls::Part::grip, false, 2);
        QCOMPARE(CommentControls::iconsDrawn(), before + 1);
        QCOMPARE(a.cacheKey(), b.cacheKey());
        QCOMPARE(a.size(), QSize(44, 44));
        QCOMPARE(CommentControls::icon(CommentControls::Part::trash, true, 1.5).size(), QSize(33, 33));
        QCOMPARE(CommentControls::iconKey(CommentControls::Part::trash, false, 2), QStringLiteral("trash-false-2.0"));
        QVERIFY(CommentControls::iconKey(CommentControls::Part::grip, true, 1.5).endsWith(QStringLiteral("-1.5")));
        // The hovered bin is tinted red, the idle one grey.
        const QImage hot = CommentControls::icon(CommentControls::Part::trash, true, 2);
        const QImage idle = CommentControls::icon(CommentControls::Part::trash, false, 2);
        const auto reddest = [](const QImage &img) {
            int best = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    best = std::max(best, c.red() - c.green());
                }
            return best;
        };
        QVERIFY(reddest(hot) > 100);
        QVERIFY(reddest(idle) < 10);
    }

    void controlsShowOnlyWhatIsGiven()
    {
        CanvasChrome chrome(QRect(0, 0, 400, 200));
        chrome.showCommentControls(std::nullopt, QRectF(40.4, 50.6, 22, 22), CommentControls::Part::grip);
        QVERIFY(!chrome.trashRect());
        QCOMPARE(*chrome.gripRect(), QRectF(40, 51, 22, 22));
        QCOMPARE(chrome.gripIcon().cacheKey(), CommentControls::icon(CommentControls::Part::grip, true, 2).cacheKey());
    }
};

QUILLET_TEST_MAIN(TestCanvasChrome)
#include "tst_canvaschrome.moc"
