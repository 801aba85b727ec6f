// The overlay stage and the selecting stage of the self-check, each run alone: every check passes
// on the real overlay, the pictures are written, a faulty overlay fails with the measured
// selection, and the selecting stage hands its canvas on.
#include "selfcheck/OverlayChecks.h"
#include "selfcheck/PicturesCanvas.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"

#include <QImage>
#include <QSet>

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

    std::unique_ptr<StageFixture::Services> services;
    QString folder() const { return services->pictures.path(); }
    // The hand-over a stage starts with; the pictures go to the test's folder (call it once the
    // output is caught, which forgets the folder).
    Handover start() const
    {
        setFolderForTesting(folder());
        return StageFixture::start(folder());
    }

private slots:
    void initTestCase() { services = std::make_unique<StageFixture::Services>(); }
    void init() { services->fresh(); }

    void everyCheckPassesAndTheSelectingStageFollows()
    {
        StageFixture::Next next;
        SelfCheckOutput out;
        overlayChecks(start());
        QVERIFY2(out.failed().isEmpty(), qPrintable(out.failed().join('\n')));
        QCOMPARE(out.lines.filter(QRegularExpression("^ok ")).size(), 12);
        QVERIFY(out.lines.contains("ok   arrow keys nudge the crop edge 1 px then 10 px"));
        QVERIFY(services->pictureWritten("0-hover"));
        // The settings window is drawn although it was never shown.
        QVERIFY(drawn(QDir(folder()).filePath("4-settings.png")));
        QCOMPARE(Preferences::shared().numberValue("canvas.railWidth"), std::optional<double>(184));
        QCOMPARE(next.number, std::optional<int>(2));
        QCOMPARE(next.delay, std::nullopt);
    }

    // An overlay that takes no scripted modifiers fails the modifier drags with what it selected.
    void anOverlayIgnoringItsModifiersFails()
    {
        StageFixture::Next next;
        SelfCheckOutput out;
        const auto real = overlayModifiers();
        overlayModifiers() = [](OverlayView *, std::optional<Qt::KeyboardModifiers>) {};
        overlayChecks(start());
        overlayModifiers() = real;
        QCOMPARE(out.failed(), QStringList({"FAIL Shift drag is square  (100, 100, 200, 60)",
                                            "FAIL Option drag grows from the centre  (500, 400, 60, 30)"}));
    }

    void theSelectingStageOpensTheCanvasForTheNextStage()
    {
        StageFixture::Next next;
        SelfCheckOutput out;
        selectingStage(start());
        QVERIFY(out.lines.isEmpty());
        QVERIFY(services->pictureWritten("1-selecting"));
        QCOMPARE(next.number, std::optional<int>(3));
        QCOMPARE(next.delay, std::optional<double>(0.8));
        const OverlayView *view = next.handover.overlay;
        QVERIFY(view);
        QCOMPARE(view->stage(), OverlayView::Stage::Canvas);
        const CanvasController *canvas = canvasOf(view);
        QVERIFY(canvas);
        QCOMPARE(canvas->markup.shotRect(), QRectF(270, 60, 760, 400));
    }
};

QUILLET_STAGE_TEST_MAIN(TestOverlayChecks)
#include "tst_overlaychecks.moc"
