// The comment checks alone on the canvas the comment stage opens: comment placement, crop
// handles, a comment's hover, edit and drag, a box by the window's edge and the crop pan.
#include "StageFixture.h"

#include "selfcheck/CommentChecks.h"
#include "selfcheck/PasteStages.h"

#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"

using namespace Autopilot;

namespace {
const QString stopsThePan =
    QStringLiteral("a crop handle held in the window's corner stops the pan once the picture's end is in sight");

// The canvas of the comment stage, as it hands it on.
Handover commentCanvas(const QString &folder)
{
    StageFixture::Next next;
    commentStage(StageFixture::start(folder));
    return next.handover;
}
} // namespace

class TestCommentChecks : public QObject
{
    Q_OBJECT

    std::unique_ptr<StageFixture::Services> services;

private slots:
    void initTestCase() { services = std::make_unique<StageFixture::Services>(); }
    void init() { services->fresh(); }
    void cleanup()
    {
        cornerPanStepForTesting() = [](CanvasController *c, QPointF s) { return c->edgePanStep(s.x(), s.y()); };
    }

    // Every check passes and every picture is written; the canvas closes and the wide shot's
    // canvas opens for the checks that follow 0.5 s later.
    void theStage()
    {
        const Handover h = commentCanvas(services->pictures.path());
        QPointer<CaptureSession> session = h.session.data();
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        commentChecks(h);
        QVERIFY2(out.lines.filter(QRegularExpression(QStringLiteral("^FAIL"))).isEmpty(), qPrintable(out.lines.join('\n')));
        QVERIFY(out.lines.contains(QStringLiteral("ok   a comment lights up under the pointer")));
        QCOMPARE(out.lines.last(), QStringLiteral("ok   other drags pan as before"));
        for (const char *name : {"13-note-beside", "13b-note-wrapped", "13c-handle-near", "13d-comment-hover",
                                 "13e-note-at-edge", "13f-crop-at-its-end"})
            QVERIFY2(services->pictureWritten(QLatin1String(name)), name);
        QTRY_VERIFY(!session);
        QCOMPARE(next.number, std::optional<int>(21));
        QCOMPARE(next.delay, std::optional<double>(0.5));
        CanvasController *wide = canvasOf(next.handover.session);
        QVERIFY(wide);
        QCOMPARE(wide->markup.shotRect().size(), QSizeF(1400, 240));
        closeCanvas(next.handover.session);
    }

    // A canvas that lets the corner pan on past the picture's end never comes to rest.
    void aPanThatNeverStops()
    {
        cornerPanStepForTesting() = [](CanvasController *, QPointF step) { return step; };
        const Handover h = commentCanvas(services->pictures.path());
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        commentChecks(h);
        const QStringList lines = out.lines.filter(stopsThePan);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(QStringLiteral("FAIL ") + stopsThePan + QStringLiteral("  ticks 2000 panned (")),
                 qPrintable(lines.first()));
        QVERIFY(lines.first().contains(QStringLiteral(" shot (")));
        closeCanvas(next.handover.session);
    }
};

QUILLET_STAGE_TEST_MAIN(TestCommentChecks)
#include "tst_commentchecks.moc"
