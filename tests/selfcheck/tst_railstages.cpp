// The stages of the self-check that run on a canvas of several pages and its rail: several shots
// as pages, the history's pages, the rail walk, columns, pinching and picking, and the staging of
// another shot. Each runs alone here on a small fixture canvas over a staged 1440 × 900 overlay.
#include "selfcheck/Chain.h"
#include "selfcheck/HistoryPages.h"
#include "selfcheck/RailColumns.h"
#include "selfcheck/RailMeasures.h"
#include "selfcheck/RailWalk.h"
#include "selfcheck/ScriptedInput.h"
#include "selfcheck/SeveralShots.h"
#include "selfcheck/StageShot.h"

#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "launch/AppDelegate.h"
#include "platform/Preferences.h"
#include "platform/ReduceMotion.h"
#include "platform/fake/FakeScreenSource.h"
#include "rail/RailEdge.h"

#include "SelfCheckOutput.h"
#include "TestEnv.h"

#include <QTemporaryDir>

using namespace Autopilot;

namespace {
// A canvas of `pages` pages over a staged overlay, with `earlier` captures in a history of its
// own, dated an hour apart before now. The window is shown unless told otherwise.
struct RailCanvas
{
    QTemporaryDir dir;
    StagedOverlay staged;
    CanvasController *c = nullptr;
    QString cwd = QDir::currentPath();

    explicit RailCanvas(int earlier, int pages = 1, bool windowed = true, bool shown = true)
    {
        // Outside a run the pictures go to the working folder: the fixture's own.
        QDir::setCurrent(dir.path());
        Recents::setFolderOverride(dir.filePath(QStringLiteral("history")));
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < earlier; ++i) {
            const QImage picture = samplePicture(1600, 1000, 10 + i);
            const Markup markup = Markup::single(QRectF(0, 0, 800, 500), QSizeF(800, 500), 1);
            ShotImages images;
            images.insert(markup.shots.first().id, ShotImage{picture, 2});
            Recents::save(markup, images, picture, std::nullopt, std::nullopt, std::nullopt,
                          now.addSecs(-3600 * (i + 1)), true);
        }
        const QImage base = samplePicture(2880, 1800, 0);
        staged = stageOverlay(base, 1440, 900);
        if (!windowed)
            staged.view->setParent(nullptr);
        else if (shown)
            staged.window->show();
        const Markup markup = Markup::single(QRectF(200, 100, 1000, 620), QSizeF(1440, 900), 1);
        ShotImages images;
        images.insert(markup.shots.first().id, ShotImage{base, 2});
        staged.view->openPicturesCanvas(markup, images, QRectF(200, 100, 1000, 620));
        c = dynamic_cast<CanvasController *>(staged.view->canvas());
        // The canvas window as large as the staged screen, as the run's imported canvas is.
        if (windowed)
            staged.window->resize(1440, 900);
        staged.view->resize(1440, 900);
        if (c)
            c->layout();
        for (int p = 1; p < pages && c; ++p)
            c->addShot(samplePicture(1800, 1200, 20 + p), 2, QRectF(240, 0, 600, 420));
        if (c)
            c->endEditing();
    }
    ~RailCanvas()
    {
        if (staged.window)
            staged.window->hide();
        QDir::setCurrent(cwd);
        if (qEnvironmentVariableIsSet("QUILLET_KEEP_PICTURES"))
            for (const QString &name : QDir(dir.path()).entryList({QStringLiteral("*.png")}))
                QFile::copy(dir.filePath(name), cwd + QLatin1Char('/') + name);
    }

    Handover handover() const
    {
        Handover h;
        h.overlay = staged.view;
        h.window = staged.window;
        h.controller = c;
        h.folder = dir.path();
        return h;
    }
};

QStringList failed(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (line.startsWith(QLatin1String("FAIL")))
            out.append(line);
    return out;
}

struct NextStep
{
    int number = 0;
    Handover handover;
    std::optional<double> delay;
};

// Catches what a stage hands on instead of running the next step.
struct CatchNext
{
    std::optional<NextStep> next;
    CatchNext()
    {
        Chain::nextForTesting() = [this](int number, const Handover &h, std::optional<double> delay) {
            next = NextStep{number, h, delay};
        };
    }
    ~CatchNext() { Chain::nextForTesting() = nullptr; }
};
} // namespace

class TestRailStages : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDelegate> delegate;

private slots:
    void initTestCase()
    {
        auto screens = std::make_shared<FakeScreenSource>();
        screens->screenList = {{11, "A", QRect(0, 0, 1440, 900), 1.0}};
        delegate = std::make_unique<AppDelegate>(QStringList{"quillet"}, screens);
        delegate->installCanvasServices();
        Preferences::shared().useMemoryScope();
        SelfCheckFlag::set(true);
        ReduceMotion::setOverride(false);
    }
    void init() { Prefs::store().setValue(QStringLiteral("history.paused"), false); }

    // Steps 9 and 10 in a row on one canvas, as the chain runs them: every check passes, the
    // pages go into the history as one group and the pictures are written.
    void severalShotsThenHistoryPagesPass()
    {
        RailCanvas canvas(3);
        QVERIFY(canvas.c);
        SelfCheckOutput out;
        std::optional<NextStep> next;
        {
            CatchNext hook;
            severalShots(canvas.handover());
            next = hook.next;
        }
        QVERIFY2(failed(out.lines).isEmpty(), qPrintable(failed(out.lines).join(QLatin1Char(10))));
        QVERIFY(next);
        QCOMPARE(next->number, 10);
        QCOMPARE(next->delay, std::optional<double>(1.0));
        QCOMPARE(next->handover.historyBefore, 3);
        QCOMPARE(next->handover.savedIDs.size(), 3);
        QCOMPARE(canvas.c->pages.size(), 3);

        out.lines.clear();
        CatchNext hook;
        historyPages(next->handover);
        QTRY_VERIFY(!out.lines.isEmpty() && out.lines.last().contains(QLatin1String("the earlier captures are back in the rail")));
        QVERIFY2(failed(out.lines).isEmpty(), qPrintable(failed(out.lines).join(QLatin1Char(10))));
        QVERIFY(hook.next);
        QCOMPARE(hook.next->number, 11);
        QCOMPARE(hook.next->delay, std::optional<double>(0.6));
        for (const char *name : {"8-pages", "9-page-export", "8b-rail-one-column", "8c-rail-between-columns",
                                 "8d-rail-three-columns", "8e-rail-pinched", "8f-rail-picked", "8g-rail-after-delete"})
            QVERIFY2(QFile::exists(canvas.dir.filePath(QString::fromLatin1(name) + ".png")), name);
        // The rail is left one column wide, and the user's own preferences were never written.
        QCOMPARE(Prefs::railWidth(), 184.0);
        QVERIFY(Preferences::shared().inMemoryScope());
    }
};

QUILLET_TEST_MAIN(TestRailStages)
#include "tst_railstages.moc"
