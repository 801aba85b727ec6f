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

    explicit RailCanvas(int earlier, int pages = 1, bool windowed = true, bool hidden = false)
    {
        setFolderForTesting(dir.path());
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
        else
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
        if (hidden)
            staged.window->hide();
        for (int p = 1; p < pages && c; ++p)
            c->addShot(samplePicture(1800, 1200, 20 + p), 2, QRectF(240, 0, 600, 420));
        if (c)
            c->endEditing();
    }
    ~RailCanvas()
    {
        if (staged.window)
            staged.window->hide();
        if (qEnvironmentVariableIsSet("QUILLET_KEEP_PICTURES"))
            for (const QString &name : QDir(dir.path()).entryList({QStringLiteral("*.png")}))
                QFile::copy(dir.filePath(name), QDir::current().filePath(name));
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
        setFolderForTesting(canvas.dir.path());
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

    // Switching pages must show the pictures the pages had: one made again fails the check even
    // with the same pixels, as do a missing one and one larger than a thumbnail's source.
    void pagePicturesKept_data()
    {
        QTest::addColumn<QList<QImage>>("before");
        QTest::addColumn<QList<QImage>>("after");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("widths");
        const QImage a = samplePicture(720, 450, 1), b = samplePicture(600, 450, 2);
        QImage again = a.copy();
        QTest::newRow("the same pictures") << QList<QImage>{a, b} << QList<QImage>{a, b} << true << "[720, 600]";
        QTest::newRow("one made again") << QList<QImage>{a, b} << QList<QImage>{again, b} << false << "[720, 600]";
        QTest::newRow("one missing") << QList<QImage>{a, QImage()} << QList<QImage>{a, QImage()} << false << "[720, 0]";
        const QImage wide = samplePicture(1800, 900, 3);
        QTest::newRow("wider than 1700") << QList<QImage>{wide} << QList<QImage>{wide} << false << "[1800]";
        QTest::newRow("a page fewer") << QList<QImage>{a, b} << QList<QImage>{a} << false << "[720, 600]";
    }
    void pagePicturesKept()
    {
        QFETCH(QList<QImage>, before);
        QFETCH(QList<QImage>, after);
        QFETCH(bool, kept);
        QFETCH(QString, widths);
        QCOMPARE(samePagePictures(before, after), kept);
        QCOMPARE(pictureWidths(before), widths);
    }

    // The stage that cannot find what it needs says so in one line and runs none of its checks.
    void missingPreconditions_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("earlier");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("windowed");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("picking: too few thumbnails")
            << 0 << 2 << 3 << true << QStringList{"FAIL thumbnails can be picked  5 thumbnails, 3 shots, 2 earlier"};
        QTest::newRow("picking: no window") << 0 << 3 << 3 << false
                                            << QStringList{"FAIL thumbnails can be picked  no window"};
        QTest::newRow("columns: no window") << 1 << 3 << 3 << false
                                            << QStringList{"FAIL the rail can be made wider  no window"};
        QTest::newRow("walk: no window") << 2 << 3 << 3 << false << QStringList{"FAIL the rail can be walked  "};
        QTest::newRow("pinch: 8 thumbnails")
            << 3 << 5 << 3 << true
            << QStringList{"FAIL a pinch out grows the thumbnails smoothly, a few points at a time  8 thumbnails"};
    }
    void missingPreconditions()
    {
        QFETCH(int, stage);
        QFETCH(int, earlier);
        QFETCH(int, pages);
        QFETCH(bool, windowed);
        QFETCH(QStringList, lines);
        RailCanvas canvas(earlier, pages, windowed);
        QVERIFY(canvas.c);
        QCOMPARE(canvas.c->rail->order().size(), earlier + pages);
        SelfCheckOutput out;
        QWidget *host = canvas.staged.view;
        if (stage == 0) {
            railPicking(canvas.c, host, canvas.dir.path());
        } else if (stage == 1) {
            railColumns(canvas.c, host, canvas.dir.path());
        } else if (stage == 2) {
            railWalk(canvas.c, host);
        } else {
            RailMeasures::Stage s{canvas.c, canvas.staged.view, canvas.dir.path(), 450};
            s.rows1 = canvas.c->railRowIDs();
            railPinchSteps(s);
            // The drag back to one column still runs.
            out.lines = out.lines.mid(0, 1);
        }
        QCOMPARE(out.lines, lines);
    }

    // Without glides (the window hidden before the pages came, motion allowed) the Delete check of the picking
    // fails and tells the glide count.
    void deleteWithoutGlideFails()
    {
        RailCanvas canvas(3, 3, true, true);
        QVERIFY(canvas.c);
        SelfCheckOutput out;
        railPicking(canvas.c, canvas.staged.view, canvas.dir.path());
        const QStringList fails = failed(out.lines);
        QVERIFY2(fails.size() == 1, qPrintable(fails.join(QLatin1Char(10))));
        QVERIFY2(fails.first().startsWith("FAIL Delete takes every picked thumbnail") && fails.first().endsWith(", gliding 0"),
                 qPrintable(fails.first()));
    }

    // The edge's cursor is told by its kind: the three column cursors share one look on this
    // desktop, so a left-only edge read as both ways would pass a check by looks.
    void edgeCursorKinds_data()
    {
        QTest::addColumn<bool>("narrower");
        QTest::addColumn<bool>("wider");
        QTest::addColumn<int>("kind");
        QTest::newRow("both ways") << true << true << int(CursorKind::columnResize);
        QTest::newRow("left only") << true << false << int(CursorKind::columnResizeLeft);
        QTest::newRow("right only") << false << true << int(CursorKind::columnResizeRight);
    }
    void edgeCursorKinds()
    {
        QFETCH(bool, narrower);
        QFETCH(bool, wider);
        QFETCH(int, kind);
        RailCanvas canvas(0);
        QVERIFY(canvas.c);
        canvas.c->railEdge->setLimits(narrower, wider);
        QCOMPARE(RailMeasures::edgeCursor(canvas.c), std::optional<CursorKind>(CursorKind(kind)));
        QCOMPARE(canvas.c->cursorOver(canvas.c->railEdge)->shape(), cursorFor(CursorKind(kind)).shape());
    }

    // The hand-over: a capture of the whole staged screen for a canvas, the history paused, and
    // step 11 0.6 s later with the session and both pictures.
    void stagingAnotherShotHandsOver()
    {
        SelfCheckOutput out;
        CatchNext hook;
        stageShotForOpenCanvas(Handover());
        QCOMPARE(out.lines, QStringList());
        QVERIFY(hook.next);
        QCOMPARE(hook.next->number, 11);
        QCOMPARE(hook.next->delay, std::optional<double>(0.6));
        const Handover &h = hook.next->handover;
        QVERIFY(h.session);
        QCOMPARE(h.session->mode(), OverlayViewHost::Mode::Canvas);
        QVERIFY(h.session->active());
        QCOMPARE(h.picture.size(), h.screen * 2);
        QCOMPARE(h.secondPicture.size(), h.screen * 2);
        QVERIFY(h.picture != h.secondPicture);
        QVERIFY(Prefs::store().value(QStringLiteral("history.paused")).toBool());
        CaptureSession *session = h.session;
        session->end(false);
    }
};

QUILLET_TEST_MAIN(TestRailStages)
#include "tst_railstages.moc"
