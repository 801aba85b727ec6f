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
#include "TestEnv.h"

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
Handover savedPage(const StageFixture &fixture)
{
    const QImage picture = samplePicture(1520, 800, 0);
    const QRectF rect(270, 60, 760, 400);
    const Shot shot(QUuid::createUuid(), rect.topLeft(), rect.size(), rect);
    const StagedOverlay staged =
        openPicturesCanvas(Markup({shot}, 1, {}), {{shot.id, ShotImage{picture, 2}}}, picture, 2, QSize(1440, 900));
    Handover h = fixture.start();
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
} // namespace

class TestCanvasChecks : public QObject
{
    Q_OBJECT

private slots:
    void fromTheCanvasToTheImportEveryCheckPasses()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        selectingStage(fixture.start());
        for (int step = 3; step <= 8; ++step) {
            QVERIFY(fixture.next);
            QCOMPARE(fixture.next->number, step);
            fixture.runNext();
        }
        QVERIFY2(failed(out.lines).isEmpty(), qPrintable(failed(out.lines).join('\n')));
        QVERIFY(!out.status);
        QVERIFY(out.lines.contains("ok   ] makes the selection larger"));
        QVERIFY(out.lines.contains("ok   an imported image opens on a canvas and exports at full size"));
        QVERIFY(out.lines.contains("     not in this build: talkStage"));
        for (const char *picture : {"2-canvas", "3-export", "5-zoomed-out", "6-reopened", "7-imported", "7b-dropped", "7c-done"})
            QVERIFY2(fixture.pictureWritten(picture), picture);
        // The import check hands the imported canvas on to the several-shots stage.
        QVERIFY(fixture.next);
        QCOMPARE(fixture.next->number, 9);
        QVERIFY(canvasOf(fixture.next->handover.overlay));
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
        StageFixture fixture;
        SelfCheckOutput out;
        Chain::steps().at(stage - 1).run(fixture.start());
        QCOMPARE(out.lines, QStringList({line, "1 checks FAILED"}));
        QCOMPARE(out.status, std::optional<int>(1));
    }

    // A reopened canvas whose export is not E's size fails with both sizes.
    void anExportAPixelShortFails()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        Handover h = savedPage(fixture);
        QCOMPARE(h.exported.size(), QSize(1520, 800));
        reopenChecks(h);
        QVERIFY2(failed(out.lines).isEmpty(), qPrintable(failed(out.lines).join('\n')));
        QVERIFY(fixture.next);
        QCOMPARE(fixture.next->number, 5);
        Handover reopened = fixture.next->handover;
        reopened.exported = h.exported.copy(0, 0, 1519, 800);
        reopenedCanvasChecks(reopened);
        QCOMPARE(failed(out.lines), QStringList({"FAIL the reopened canvas exports the same picture  1520x800 vs 1519x800"}));
    }

    // PNG data without a resolution is read at one pixel per point.
    void aPictureWithoutItsDensityFails()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        const Handover h = savedPage(fixture);
        const auto real = densityPng();
        densityPng() = [real](const QImage &image, double scale) { return withoutResolution(real(image, scale)); };
        pausedHistoryAndDensityChecks(h);
        densityPng() = real;
        QCOMPARE(failed(out.lines), QStringList({"FAIL an image on the clipboard is read at its own density  1 1520"}));
        QVERIFY(fixture.next);
        QCOMPARE(fixture.next->number, 7);
        QCOMPARE(fixture.next->handover.pastedScale, 1.0);
    }
};

QUILLET_TEST_MAIN(TestCanvasChecks)
#include "tst_canvaschecks.moc"
