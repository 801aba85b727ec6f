// The tip checks on a canvas's toolbar and the thumbnail-size checks on a rail of their own.
#include "selfcheck/ThumbSizes.h"
#include "selfcheck/ToolbarTips.h"

#include "canvas/HoverTips.h"
#include "canvas/Toolbar.h"

#include "../canvas/CanvasFixture.h"
#include "StageRun.h"
#include "TestEnv.h"

using namespace Autopilot;

class TestToolbarTips : public QObject
{
    Q_OBJECT

private slots:
    void everyControlShowsItsTipAboveTheBar()
    {
        StageRun out;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        tipChecks(c, f.view.get());
        QCOMPARE(out.lines, QStringList({"ok   every toolbar control has a tip",
                                         "ok   resting on a control shows its tip above the bar, inside the window",
                                         "ok   the tip goes when the pointer leaves"}));
        QVERIFY(c->toolbar->controls().size() >= 19);
        QCOMPARE(out.picture("7t-tip").size(), f.view->size());
        QVERIFY(!c->toolbar->tips()->bubble()->isVisible());
    }

    void aControlWithoutTipFailsTheFirstTwo()
    {
        StageRun out;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        const QList<QWidget *> controls = c->toolbar->controls();
        c->toolbar->tips()->add(controls.at(3), [] { return QString(); });
        tipChecks(c, f.view.get());
        QCOMPARE(out.lines.at(0), QStringLiteral("FAIL every toolbar control has a tip  %1 controls, 1 without")
                                      .arg(controls.size()));
        QCOMPARE(out.lines.at(1),
                 QStringLiteral("FAIL resting on a control shows its tip above the bar, inside the window  not shown: "));
        QCOMPARE(out.lines.at(2), QStringLiteral("ok   the tip goes when the pointer leaves"));
    }

    // A toolbar at the window's top edge leaves its tips no room above it.
    void aTipOutsideTheWindowIsMisplaced()
    {
        StageRun out;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        c->toolbar->move(c->toolbar->x(), 2);
        tipChecks(c, f.view.get());
        QVERIFY2(out.lines.at(1).startsWith(
                     "FAIL resting on a control shows its tip above the bar, inside the window  placed ("),
                 qPrintable(out.lines.at(1)));
        QCOMPARE(out.lines.at(1).count(QStringLiteral("placed (")), c->toolbar->controls().size());
    }

    // The hide starts the moment the pointer leaves: no tip counts as shown from then on.
    void aTipIsGoneAsSoonAsItHides()
    {
        StageRun run;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        QWidget *control = c->toolbar->controls().first();
        c->toolbar->hoverNow(control);
        QVERIFY(c->toolbar->shownTip().has_value());
        QCOMPARE(c->toolbar->shownTip()->first, *c->toolbar->tips()->textFor(control));
        c->toolbar->updateTip(std::nullopt);
        QVERIFY(!c->toolbar->shownTip().has_value());
        QCOMPARE(c->toolbar->tips()->textFor(f.view.get()), std::nullopt);
    }

    // The rail is never shown: its thumbnails are laid out all the same.
    void thumbnailsKeepTheirSizes()
    {
        StageRun out;
        thumbSizeChecks();
        QCOMPARE(out.lines,
                 QStringList({"ok   a thumbnail keeps its size when its small picture gives way to the full one",
                              "ok   and keeps it when a page above it is removed or the pages change places",
                              "ok   a page whose shape really changed gets a thumbnail of the new shape"}));
    }
};

QUILLET_TEST_MAIN(TestToolbarTips)
#include "tst_toolbartips.moc"
