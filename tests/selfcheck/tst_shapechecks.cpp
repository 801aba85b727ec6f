// The wide-shot and shape stages on canvases of the staged screen: where a comment goes for
// each shape of shot, and that the export holds it on that side only.
#include "selfcheck/PasteStages.h"
#include "selfcheck/ShapeChecks.h"

#include "canvas/CanvasController.h"
#include "canvas/Toolbar.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"

using namespace Autopilot;

namespace {
// Waits for the canvas's bars to have faded in, as they have when a stage runs 0.5 s later.
void settle(CaptureSession *session)
{
    const CanvasController *c = canvasOf(session);
    QVERIFY(c);
    QTRY_VERIFY(!c->toolbar->graphicsEffect());
}
} // namespace

class TestShapeChecks : public QObject
{
    Q_OBJECT

    std::unique_ptr<StageFixture::Services> services;

private slots:
    void initTestCase() { services = std::make_unique<StageFixture::Services>(); }
    void init()
    {
        services->fresh();
        Preferences::shared().setValue(QStringLiteral("export.halfSize"), false);
    }

    void shapesFromTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::newRow("1440 × 900") << QSize(1440, 900)
                                    << QList<QRect>{{127, 513, 1076, 122}, {432, 180, 720, 450}, {864, 90, 240, 720}};
        // 433.5, 722.5 and 90.5 go up: halves away from zero.
        QTest::newRow("1445 × 905") << QSize(1445, 905)
                                    << QList<QRect>{{127, 516, 1079, 123}, {434, 181, 723, 452}, {867, 91, 241, 724}};
    }
    void shapesFromTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(QList<QRect>, areas);
        const QList<Shape> shapes = shapesFor(screen);
        QCOMPARE(shapes.size(), 3);
        for (qsizetype i = 0; i < shapes.size(); ++i)
            QCOMPARE(shapes.at(i).area, areas.at(i));
        QCOMPARE(shapes.at(0).name, QStringLiteral("wide"));
        QCOMPARE(shapes.at(1).name, QStringLiteral("ordinary"));
        QCOMPARE(shapes.at(2).name, QStringLiteral("tall"));
        QCOMPARE((QList<int>{shapes.at(0).size, shapes.at(1).size, shapes.at(2).size}), (QList<int>{0, 2, 2}));
        QVERIFY(shapes.at(0).above && !shapes.at(1).above && !shapes.at(2).above);
        QCOMPARE(shapeComment.size(), 126);
    }

    // The canvas the comment checks open: the screen's width less 20 on each side, 240 high.
    void wideShot()
    {
        SelfCheckOutput out;
        services->fresh();
        StageFixture::Next next;
        Handover h = StageFixture::start(services->pictures.path());
        QPointer<CaptureSession> session =
            openCanvas(StageFixture::screen(), h.picture, QRectF(20, 320, 1400, 240));
        settle(session);
        h.session = session;
        wideShotChecks(h, longComment);
        QCOMPARE(out.lines, QStringList({"ok   a wide shot is centred with its comment's box above it, inside the window",
                                         "ok   its lines grow upwards, clear of the shot, and stay in view"}));
        QVERIFY(services->pictureWritten(QStringLiteral("14-note-above")));
        QCOMPARE(next.number, std::optional<int>(22));
        QVERIFY(!next.delay);
        QTRY_VERIFY(!session);
    }

    // The chain's steps 22 and 23 for the three shapes, each 0.5 s after the one before; the
    // last hands on to step 24 with the style size back at 2 and the history kept again.
    void threeShapes()
    {
        SelfCheckOutput out;
        services->fresh();
        Preferences::shared().setValue(QStringLiteral("history.paused"), true);
        StageFixture::Next next;
        shapeStage(StageFixture::start(services->pictures.path()));
        QCOMPARE(Preferences::shared().intValue(QStringLiteral("style.size")), std::optional<qint64>(0));
        QStringList sizes;
        while (next.number == 23) {
            QCOMPARE(next.delay, std::optional<double>(0.5));
            const Handover h = next.handover;
            settle(h.session);
            sizes.append(QString::number(canvasOf(h.session)->size));
            next.number.reset();
            shapeChecks(h);
        }
        QCOMPARE(next.number, std::optional<int>(24));
        QCOMPARE(sizes, QStringList({"0", "2", "2"}));
        QCOMPARE(out.lines, QStringList({
            "ok   a wide shot is centred with its comment above it, across it in a few lines",
            "ok   the wide shot's export holds its comment on that side only",
            "ok   an ordinary shot has its comment beside it, in a good column",
            "ok   the ordinary shot's export holds its comment on that side only",
            "ok   a tall shot has its comment beside it, in a good column",
            "ok   the tall shot's export holds its comment on that side only",
        }));
        for (const char *name : {"wide", "ordinary", "tall"}) {
            QVERIFY2(services->pictureWritten(QStringLiteral("15-shape-") + name), name);
            QVERIFY2(services->pictureWritten(QStringLiteral("15-shape-%1-export").arg(name)), name);
        }
        QCOMPARE(Preferences::shared().intValue(QStringLiteral("style.size")), std::optional<qint64>(2));
        QVERIFY(!StageFixture::historyPaused());
    }

    // A half-size export is half as wide as the shot's pixels: the check says by how much.
    void anExportOfTheWrongSizeIsMeasured()
    {
        SelfCheckOutput out;
        services->fresh();
        Preferences::shared().setValue(QStringLiteral("export.halfSize"), true);
        StageFixture::Next next;
        shapeStage(StageFixture::start(services->pictures.path()));
        settle(next.handover.session);
        shapeChecks(next.handover);
        QCOMPARE(out.lines.size(), 2);
        QVERIFY2(out.lines.at(1).startsWith("FAIL the wide shot's export holds its comment on that side only  export "),
                 qPrintable(out.lines.at(1)));
        QVERIFY2(out.lines.at(1).endsWith(", shot 2152.0 x 244.0"), qPrintable(out.lines.at(1)));
        closeCanvas(next.handover.session);
    }

    void noCanvasEndsTheRun_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("line");
        QTest::newRow("wide-shot checks") << 21 << 0 << "FAIL canvas for the wide shot  ";
        QTest::newRow("ordinary shape") << 23 << 1 << "FAIL canvas for the ordinary shot  ";
    }
    void noCanvasEndsTheRun()
    {
        QFETCH(int, step);
        QFETCH(int, shape);
        QFETCH(QString, line);
        SelfCheckOutput out;
        StageFixture::Next next;
        Handover h = StageFixture::start(services->pictures.path());
        h.shape = shape;
        if (step == 21)
            wideShotChecks(h, longComment);
        else
            shapeChecks(h);
        QCOMPARE(out.lines, QStringList({line, "1 checks FAILED"}));
        QCOMPARE(out.status, std::optional<int>(1));
        QVERIFY(!next.number);
    }
};

QUILLET_STAGE_TEST_MAIN(TestShapeChecks)
#include "tst_shapechecks.moc"
