// The overlay stage and the selecting stage of the self-check, each run alone: every check passes
// on the real overlay, the pictures are written, a faulty overlay fails with the measured
// selection, and the selecting stage hands its canvas on.
#include "selfcheck/OverlayChecks.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"
#include "TestEnv.h"

#include <QImage>

using namespace Autopilot;

namespace {

// Whether a picture has more than a handful of colours: something was drawn in it.
bool drawn(const QString &path)
{
    const QImage image(path);
    if (image.isNull())
        return false;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    return colours.size() > 8;
}
} // namespace

class TestOverlayChecks : public QObject
{
    Q_OBJECT

private slots:
    void everyCheckPassesAndTheSelectingStageFollows()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        overlayChecks(fixture.start());
        QVERIFY2(failed(out.lines).isEmpty(), qPrintable(out.lines.join('\n')));
        QCOMPARE(out.lines.filter(QRegularExpression("^ok ")).size(), 12);
        QVERIFY(out.lines.contains("ok   arrow keys nudge the crop edge 1 px then 10 px"));
        QVERIFY(fixture.pictureWritten("0-hover"));
        // The settings window is drawn although it was never shown.
        QVERIFY(drawn(fixture.folder.filePath("4-settings.png")));
        QCOMPARE(Preferences::shared().numberValue("canvas.railWidth"), std::optional<double>(184));
        QVERIFY(fixture.next);
        QCOMPARE(fixture.next->number, 2);
        QCOMPARE(fixture.next->delay, std::nullopt);
    }

    // An overlay that takes no scripted modifiers fails the modifier drags with what it selected.
    void anOverlayIgnoringItsModifiersFails()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        const auto real = overlayModifiers();
        overlayModifiers() = [](OverlayView *, std::optional<Qt::KeyboardModifiers>) {};
        overlayChecks(fixture.start());
        overlayModifiers() = real;
        QCOMPARE(failed(out.lines), QStringList({"FAIL Shift drag is square  (100, 100, 200, 60)",
                                                 "FAIL Option drag grows from the centre  (500, 400, 60, 30)"}));
    }

    void theSelectingStageOpensTheCanvasForTheNextStage()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        selectingStage(fixture.start());
        QVERIFY(out.lines.isEmpty());
        QVERIFY(fixture.pictureWritten("1-selecting"));
        QVERIFY(fixture.next);
        QCOMPARE(fixture.next->number, 3);
        QCOMPARE(fixture.next->delay, std::optional<double>(0.8));
        const OverlayView *view = fixture.next->handover.overlay;
        QVERIFY(view);
        QCOMPARE(view->stage(), OverlayView::Stage::Canvas);
        auto *canvas = dynamic_cast<CanvasController *>(view->canvas());
        QVERIFY(canvas);
        QCOMPARE(canvas->markup.shotRect(), QRectF(270, 60, 760, 400));
    }
};

QUILLET_TEST_MAIN(TestOverlayChecks)
#include "tst_overlaychecks.moc"
