#include "RailFixture.h"

#include "TestEnv.h"
#include "rail/RailDocument.h"

#include <QScrollArea>

namespace {

// Where a thumbnail is seen now, in document coordinates.
QPointF seen(const RailThumb *t)
{
    return t->cardFrame().topLeft() + t->shownOffset();
}

void setShape(PageRail *rail, double width, double thumb, int columns, bool animated, bool keepAnchor = true)
{
    rail->shape = {width, thumb, columns};
    rail->layoutThumbs(animated, keepAnchor);
}

} // namespace

class TestRailLayout : public QObject
{
    Q_OBJECT
private slots:
    void firstLayoutNeverAnimates()
    {
        RailFixture f;
        f.pages(3);
        QCOMPARE(f.rail->glidingCount(), 0);
        for (RailThumb *t : f.rail->order())
            QCOMPARE(t->opacity(), 1.0);
        QVERIFY(f.rail->laidOut());
        QCOMPARE(f.rail->thumbFrames().first(), QRectF(16, 16, 132, 83));
    }

    void newThumbsFadeIn()
    {
        RailFixture f;
        f.pages(1);
        f.pages(2);
        RailThumb *fresh = f.rail->thumbFor("p1");
        QCOMPARE(fresh->opacity(), 0.0);
        f.clock.advance(0.11);
        QVERIFY(fresh->opacity() > 0.3 && fresh->opacity() < 0.7);
        f.settle();
        QCOMPARE(fresh->opacity(), 1.0);
    }

    void glideThreshold_data()
    {
        QTest::addColumn<double>("thumb");
        QTest::addColumn<int>("gliding");
        QTest::newRow("0.4 pt stays") << 100.4 << 0;
        QTest::newRow("0.6 pt glides") << 100.6 << 1;
    }
    void glideThreshold()
    {
        QFETCH(double, thumb);
        QFETCH(int, gliding);
        RailFixture f(QSize(270, 600));
        f.pages(2);
        setShape(f.rail, 270, 100, 2, false);
        f.settle();
        const double x = f.rail->thumbFrames().at(1).x();
        setShape(f.rail, 270, thumb, 2, true);
        QCOMPARE(f.rail->thumbFrames().at(1).x() - x, thumb - 100); // only the second column moved
        QCOMPARE(f.rail->glidingCount(), gliding);
    }

    void glidesEndOnTheModel()
    {
        RailFixture f(QSize(484, 600));
        f.pages(6);
        setShape(f.rail, 484, 132, 3, true);
        QVERIFY(f.rail->glidingCount() > 0);
        const int started = f.rail->glides();
        // shown where they were: the first layout had one column
        QCOMPARE(seen(f.rail->order().at(1)), QPointF(f.rail->order().at(1)->cardFrame().x() - 150, 117));
        f.clock.advance(0.2);
        QVERIFY(f.rail->glidingCount() > 0);
        f.clock.advance(0.2);
        QCOMPARE(f.rail->glidingCount(), 0);
        for (RailThumb *t : f.rail->order())
            QCOMPARE(t->shownOffset(), QPointF());
        QCOMPARE(f.rail->glides(), started);
    }

    void relayoutMidGlideIsContinuous()
    {
        RailFixture f(QSize(484, 600));
        f.pages(7);
        setShape(f.rail, 484, 132, 3, true);
        f.clock.advance(0.1);
        QList<QPointF> before;
        for (RailThumb *t : f.rail->order())
            before.append(seen(t));
        setShape(f.rail, 484, 132, 2, true);
        for (int i = 0; i < before.size(); ++i) {
            const QPointF jump = seen(f.rail->order().at(i)) - before.at(i);
            QVERIFY2(qAbs(jump.x()) <= 0.5 && qAbs(jump.y()) <= 0.5,
                     qPrintable(QStringLiteral("thumb %1 jumped by %2, %3").arg(i).arg(jump.x()).arg(jump.y())));
        }
        f.settle();
        for (RailThumb *t : f.rail->order())
            QCOMPARE(seen(t), t->cardFrame().topLeft());
    }

    void reduceMotionMovesAtOnce()
    {
        RailFixture f(QSize(484, 600));
        f.pages(6);
        ReduceMotion::setOverride(true);
        setShape(f.rail, 484, 132, 3, true);
        QCOMPARE(f.rail->glidingCount(), 0);
        QCOMPARE(seen(f.rail->order().at(1)), f.rail->order().at(1)->cardFrame().topLeft());
        f.pages(7); // a new thumbnail shows at once too
        QCOMPARE(f.rail->thumbFor("p6")->opacity(), 1.0);
    }

    void documentFillsTheView()
    {
        RailFixture f(QSize(184, 600));
        f.pages(1);
        QCOMPARE(f.rail->docHeight(), 16.0 + 83 + 18);
        QCOMPARE(f.rail->document()->height(), f.rail->scrollArea()->viewport()->height());
        f.pages(12);
        QCOMPARE(double(f.rail->document()->height()), f.rail->docHeight());
    }

    void topThumbKeepsItsPlace()
    {
        RailFixture f(QSize(484, 400));
        f.pages(20);
        f.rail->scrollTo(500);
        const double top = f.rail->visibleTop();
        // the first thumbnail whose bottom lies below the visible top
        RailThumb *anchor = nullptr;
        for (RailThumb *t : f.rail->order()) {
            if (t->cardFrame().bottom() > top + 1) {
                anchor = t;
                break;
            }
        }
        QVERIFY(anchor);
        const double offset = std::max(anchor->cardFrame().top(), top) - top;
        const double fraction = (std::max(anchor->cardFrame().top(), top) - anchor->cardFrame().top())
            / anchor->cardFrame().height();
        setShape(f.rail, 484, 132, 3, true);
        const QRectF now = anchor->cardFrame();
        QVERIFY(qAbs(now.top() + fraction * now.height() - f.rail->visibleTop() - offset) <= 0.5);
    }

    void pinchKeepsThePointUnderThePointer()
    {
        RailFixture f(QSize(184, 400));
        f.pages(20);
        f.rail->scrollTo(600);
        double thumb = 132;
        f.rail->onPinch = [&](bool, double factor) {
            thumb = std::clamp(thumb * factor, 96.0, 360.0);
            setShape(f.rail, 184 + thumb - 132, thumb, 1, false);
        };
        const QPointF at(60, 200); // in the host, over the rail
        const QPointF docBefore = f.rail->document()->mapFrom(&f.host, at.toPoint());
        RailThumb *under = nullptr;
        for (RailThumb *t : f.rail->order())
            if (t->cardFrame().contains(docBefore))
                under = t;
        QVERIFY(under);
        const double fraction = (docBefore.y() - under->cardFrame().top()) / under->cardFrame().height();
        f.rail->pinch(false, 1.5, at);
        const QRectF now = under->cardFrame();
        const double docY = now.top() + fraction * now.height();
        const double hostY = f.rail->document()->mapTo(&f.host, QPointF(0, docY)).y();
        QVERIFY2(qAbs(hostY - at.y()) <= 1.0, qPrintable(QString::number(hostY)));

        // at the top the view cannot scroll further: the top stays
        f.rail->scrollTo(0);
        f.rail->pinch(false, 0.5, QPointF(60, 390));
        QCOMPARE(f.rail->visibleTop(), 0.0);
    }
};

QUILLET_TEST_MAIN(TestRailLayout)
#include "tst_raillayout.moc"
