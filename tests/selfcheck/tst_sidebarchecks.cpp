// The command sidebar's checks on a canvas, and the two faults they must catch: a glass that
// lets a click through to the canvas, and a window that cannot be made narrow enough to hide it.
#include "selfcheck/ClickThrough.h"
#include "selfcheck/SidebarChecks.h"

#include "canvas/CommandSidebar.h"

#include "../canvas/CanvasFixture.h"
#include "StageRun.h"
#include "TestEnv.h"

using namespace Autopilot;

namespace {
const QStringList allPassed{
    "ok   the commands are down the right, the full height of the window",
    "ok   the canvas ends where they start",
    "ok   just two: Return copies, Command-Return pastes into the send menu's app",
    "ok   both whole, one above the other, inside the panel",
    "ok   the key line leaves them to the sidebar",
    "ok   a click on each does it",
    "ok   and the glass under them keeps its clicks from the canvas",
    "ok   after a copy the row says so",
    "ok   a narrow window has no room for them",
};
}

class TestSidebarChecks : public QObject
{
    Q_OBJECT

private slots:
    // Every check passes; the sidebar's own callbacks are back, and so is the window's size with
    // the sidebar shown.
    void allPass()
    {
        StageRun out;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        bool copied = false;
        c->commands->onCopy = [&copied] { copied = true; };
        sidebarChecks(c, f.view.get());
        QCOMPARE(out.lines, allPassed);
        QCOMPARE(out.picture("7d-commands").size(), QSize(1440, 875));
        c->commands->onCopy();
        QVERIFY(copied);
        QCOMPARE(f.view->size(), QSize(1440, 875));
        QVERIFY(c->sidebarShown() && !c->commands->isHidden());
    }

    // A sidebar that lets the mouse through: the click on its glass lands on what lies below.
    void aClickThroughTheGlassIsToldByTheWidgetHit()
    {
        StageRun out;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        c->commands->setAttribute(Qt::WA_TransparentForMouseEvents);
        sidebarChecks(c, f.view.get());
        QVERIFY2(out.lines.contains("FAIL and the glass under them keeps its clicks from the canvas  "
                                    + describe(f.view.get())),
                 qPrintable(out.lines.join('\n')));
        QVERIFY(out.lines.contains("FAIL a click on each does it  []"));
    }

    void aWindowThatStaysWideFailsTheNarrowCheck()
    {
        StageRun out;
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(300, 200, 600, 400));
        StageRun::revealed(c);
        f.view->setMinimumWidth(1000);
        sidebarChecks(c, f.view.get());
        QCOMPARE(out.lines.mid(0, 8), allPassed.mid(0, 8));
        QVERIFY2(out.lines.last().startsWith(
                     "FAIL a narrow window has no room for them  host 1000 wide, sidebar shown, hint \""),
                 qPrintable(out.lines.last()));
    }
};

QUILLET_TEST_MAIN(TestSidebarChecks)
#include "tst_sidebarchecks.moc"
