// The canvas markup stage and the reopen, history, density and import stages of the self-check:
// the chain from the selecting stage to the import check passes on the real canvas, and each
// stage fails with its measured detail when the canvas, the history, the density or the export
// is not what it should be.
#include "selfcheck/CanvasChecks.h"
#include "selfcheck/OverlayChecks.h"
#include "selfcheck/PicturesCanvas.h"
#include "selfcheck/ReopenChecks.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"

#include <QtEndian>

using namespace Autopilot;

namespace {
// PNG data with its pHYs chunk taken out.
QByteArray withoutResolution(const QByteArray &png)
{
    QByteArray out = png.left(8);
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        const qsizetype chunk = 12 + qsizetype(length);
        if (png.mid(at + 4, 4) != "pHYs")
            out += png.mid(at, chunk);
        at += chunk;
    }
    return out;
}

// A page like the one the canvas stage saves: a 760 × 400 pt shot at 2 px per point at
// (270, 60), exported as E and saved in the history; the hand-over of the reopen checks.
Handover savedPage(Handover h)
{
    const QImage picture = samplePicture(1520, 800, 0);
    const QRectF rect(270, 60, 760, 400);
    const Shot shot(QUuid::createUuid(), rect.topLeft(), rect.size(), rect);
    const StagedOverlay staged =
        openPicturesCanvas(Markup({shot}, 1, {}), {{shot.id, ShotImage{picture, 2}}}, picture, 2, QSize(1440, 900));
    h.controller = canvasOf(staged.view);
    if (!h.controller)
        return h;
    h.exported = exportPicture(h.controller);
    h.entry = Recents::save(h.controller->markup, h.controller->images, h.exported, std::nullopt, std::nullopt,
                            std::nullopt, std::nullopt, true)
                  .value_or(QString());
    h.items = 0;
    return h;
}
// Runs the step handed on as the chain would, the event loop running through its delay.
void runNext(StageFixture::Next &next)
{
    const int number = *next.number;
    const Handover handover = next.handover;
    const std::optional<double> delay = next.delay;
    next.number.reset();
    if (delay)
        QTest::qWait(int(*delay * 1000));
    Chain::steps().at(number - 1).run(handover);
}
} // namespace

class TestCanvasChecks : public QObject
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

    void fromTheCanvasToTheImportEveryCheckPasses()
    {
        StageFixture::Next next;
        SelfCheckOutput out;
        selectingStage(start());
        for (int step = 3; step <= 8; ++step) {
            QCOMPARE(next.number, std::optional<int>(step));
            runNext(next);
        }
        QVERIFY2(out.failed().isEmpty(), qPrintable(out.failed().join('\n')));
        QVERIFY(!out.status);
        QVERIFY(out.lines.contains("ok   ] makes the selection larger"));
        QVERIFY(out.lines.contains("ok   an imported image opens on a canvas and exports at full size"));
        for (const char *picture : {"2-canvas", "3-export", "5-zoomed-out", "6-reopened", "7-imported", "7b-dropped", "7c-done"})
            QVERIFY2(services->pictureWritten(picture), picture);
        // The import check hands the imported canvas on to the several-shots stage.
        QCOMPARE(next.number, std::optional<int>(9));
        QVERIFY(canvasOf(next.handover.overlay));
        QCOMPARE(Recents::list().size(), 1);
    }

    // A stage with nothing to work on fails and ends the run.
    void aStageThatCannotGoOnEndsTheRun_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("line");
        QTest::newRow("canvas checks without a canvas") << 3 << "FAIL canvas opened  ";
        QTest::newRow("reopen checks without a history entry") << 4 << "FAIL the last capture reopens  ";
    }
    void aStageThatCannotGoOnEndsTheRun()
    {
        QFETCH(int, stage);
        QFETCH(QString, line);
        StageFixture::Next next;
        SelfCheckOutput out;
        Chain::steps().at(stage - 1).run(start());
        QCOMPARE(out.lines, QStringList({line, "1 checks FAILED"}));
        QCOMPARE(out.status, std::optional<int>(1));
    }

    // A reopened canvas whose export is not E's size fails with both sizes.
    void anExportAPixelShortFails()
    {
        StageFixture::Next next;
        SelfCheckOutput out;
        Handover h = savedPage(start());
        QCOMPARE(h.exported.size(), QSize(1520, 800));
        reopenChecks(h);
        QVERIFY2(out.failed().isEmpty(), qPrintable(out.failed().join('\n')));
        QCOMPARE(next.number, std::optional<int>(5));
        Handover reopened = next.handover;
        reopened.exported = h.exported.copy(0, 0, 1519, 800);
        reopenedCanvasChecks(reopened);
        QCOMPARE(out.failed(), QStringList({"FAIL the reopened canvas exports the same picture  1520x800 vs 1519x800"}));
    }

    // PNG data without a resolution is read at one pixel per point.
    void aPictureWithoutItsDensityFails()
    {
        StageFixture::Next next;
        SelfCheckOutput out;
        const Handover h = savedPage(start());
        const auto real = densityPng();
        densityPng() = [real](const QImage &image, double scale) { return withoutResolution(real(image, scale)); };
        pausedHistoryAndDensityChecks(h);
        densityPng() = real;
        QCOMPARE(out.failed(), QStringList({"FAIL an image on the clipboard is read at its own density  1 1520"}));
        QCOMPARE(next.number, std::optional<int>(7));
        QCOMPARE(next.handover.pastedScale, 1.0);
    }
};

QUILLET_STAGE_TEST_MAIN(TestCanvasChecks)
#include "tst_canvaschecks.moc"
