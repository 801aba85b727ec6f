// The autosave stages alone: an open canvas is autosaved with the comment being typed, and its
// close rewrites that entry. The autosave runs on a scheduler the test moves on by hand.
#include "StageFixture.h"

#include "selfcheck/AutosaveStages.h"

#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "platform/fake/FakeScheduler.h"

using namespace Autopilot;

namespace {
const QString autosaves = QStringLiteral("the open canvas autosaves, with the comment being typed");
const QString closing = QStringLiteral("closing updates the autosaved entry, not a second one");
} // namespace

class TestAutosaveStages : public QObject
{
    Q_OBJECT

    std::unique_ptr<StageFixture::Services> services;
    FakeScheduler clock;

private slots:
    void initTestCase()
    {
        services = std::make_unique<StageFixture::Services>();
        CaptureSession::setSchedulerForTesting(&clock);
    }
    void cleanupTestCase() { CaptureSession::setSchedulerForTesting(nullptr); }
    void init() { services->fresh(); }

    // The four stages in their order and with their delays; the autosave due a second after
    // the typing has run when the checks come 2 s later.
    void theStages()
    {
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        autosaveStage(StageFixture::start(services->pictures.path()));
        QCOMPARE(next.number, std::optional<int>(14));
        QCOMPARE(next.delay, std::optional<double>(0.5));
        QPointer<CaptureSession> session = next.handover.session.data();
        QVERIFY(canvasOf(session));

        autosaveTyping(next.handover);
        QCOMPARE(next.number, std::optional<int>(15));
        QCOMPARE(next.delay, std::optional<double>(2.0));
        clock.advance(2.0);

        autosaveChecks(next.handover);
        QCOMPARE(next.number, std::optional<int>(16));
        QCOMPARE(next.delay, std::optional<double>(0.5));
        QCOMPARE(next.handover.entriesBeforeClose, 1);
        QTRY_VERIFY(!session);

        autosaveClosedCheck(next.handover);
        QCOMPARE(out.lines, QStringList({QStringLiteral("ok   ") + autosaves, QStringLiteral("ok   ") + closing}));
        QCOMPARE(next.number, std::optional<int>(17));
        QCOMPARE(next.delay, std::optional<double>());
    }

    // No autosave before the checks: the newest entry is an older one, and the close adds a
    // second entry.
    void noAutosave()
    {
        StageFixture::saveEntry();
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        autosaveStage(StageFixture::start(services->pictures.path()));
        autosaveTyping(next.handover);
        autosaveChecks(next.handover);
        autosaveClosedCheck(next.handover);
        QCOMPARE(out.lines, QStringList({QStringLiteral("FAIL ") + autosaves + QStringLiteral("  kept=false editing=true"),
                                         QStringLiteral("FAIL ") + closing + QStringLiteral("  2 vs 1")}));
    }

    // A canvas with no comment being edited (a click that made none) and nothing saved.
    void noComment()
    {
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        autosaveStage(StageFixture::start(services->pictures.path()));
        Handover h = next.handover;
        h.controller = canvasOf(h.session);
        h.controller->endEditing();
        autosaveChecks(h);
        QCOMPARE(out.lines.first(), QStringLiteral("FAIL ") + autosaves + QStringLiteral("  kept=false editing=false"));
    }
};

QUILLET_STAGE_TEST_MAIN(TestAutosaveStages)
#include "tst_autosavestages.moc"
