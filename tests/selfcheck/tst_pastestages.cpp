// The paste stages alone: ready to type, numbered lists, pasted text and pictures, and the
// canvas the comment checks get.
#include "StageFixture.h"

#include "selfcheck/PasteStages.h"

#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"

using namespace Autopilot;

class TestPasteStages : public QObject
{
    Q_OBJECT

    std::unique_ptr<StageFixture::Services> services;

private slots:
    void initTestCase() { services = std::make_unique<StageFixture::Services>(); }
    void init() { services->fresh(); }

    // The history is paused from the paste stage to the end of its checks and again by the
    // comment stage; nothing is saved meanwhile.
    void theStages()
    {
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        pasteStage(StageFixture::start(services->pictures.path()));
        QVERIFY(StageFixture::historyPaused());
        QCOMPARE(next.number, std::optional<int>(18));
        QCOMPARE(next.delay, std::optional<double>(0.5));
        QPointer<CaptureSession> session = next.handover.session.data();

        pasteChecks(next.handover);
        QCOMPARE(out.lines, QStringList({"ok   a new capture is ready to type",
                                         "ok   Shift-Return numbers the next line, and an empty item ends the list",
                                         "ok   pasted text becomes a comment", "ok   a pasted picture opens as a new shot"}));
        QVERIFY(services->pictureWritten(QStringLiteral("12-ready-to-type")));
        QVERIFY(!StageFixture::historyPaused());
        QTRY_VERIFY(!session);
        Recents::queue().sync([] {});
        QCOMPARE(Recents::list().size(), 0);
        QCOMPARE(next.number, std::optional<int>(19));
        QCOMPARE(next.delay, std::optional<double>());

        commentStage(next.handover);
        QVERIFY(StageFixture::historyPaused());
        QCOMPARE(next.number, std::optional<int>(20));
        QCOMPARE(next.delay, std::optional<double>(0.5));
        CanvasController *c = canvasOf(next.handover.session);
        QVERIFY(c);
        QCOMPARE(c->markup.shotRect().size(), QSizeF(600, 380));
        QVERIFY(c->editing);
        closeCanvas(next.handover.session);
    }

    // A canvas that opens with nothing being edited is not ready to type, even though a later
    // click makes a comment.
    void notReadyToType()
    {
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        pasteStage(StageFixture::start(services->pictures.path()));
        Handover h = next.handover;
        canvasOf(h.session)->endEditing();
        pasteChecks(h);
        QCOMPARE(out.lines.first(), QStringLiteral("FAIL a new capture is ready to type  editing false items []"));
        QCOMPARE(out.lines.size(), 4);
    }
};

QUILLET_STAGE_TEST_MAIN(TestPasteStages)
#include "tst_pastestages.moc"
