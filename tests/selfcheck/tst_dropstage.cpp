// The dropped-pictures stage of the self-check: its checks pass on the real importer and canvas,
// it leaves the five dropped files, and an importer that loses count fails the first check with
// what it read.
#include "selfcheck/DropStage.h"

#include "capture/OverlayCanvas.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"
#include "TestEnv.h"

using namespace Autopilot;

class TestDropStage : public QObject
{
    Q_OBJECT

private slots:
    void everyCheckPasses()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        dropStage(fixture.start());
        QVERIFY2(failed(out.lines).isEmpty(), qPrintable(out.lines.join('\n')));
        QCOMPARE(out.lines.filter(QRegularExpression("^ok ")).size(), 11);
        QCOMPARE(out.lines.last(), QStringLiteral("     not in this build: sidebarChecks"));
        QCOMPARE(QDir(fixture.folder.filePath("dropped")).entryList(QDir::Files),
                 QStringList({"notes.txt", "photo-1.png", "photo-2.png", "photo-3.png", "photo-4.png"}));
        QVERIFY(fixture.pictureWritten("7b-dropped"));
        QVERIFY(fixture.pictureWritten("7c-done"));
        // Nothing of the dropped pictures went into the history.
        QCOMPARE(Recents::list().size(), 0);
    }

    void anImporterThatStopsCountingFails()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        const auto real = dropReader();
        dropReader() = [real](const QMimeData *data) {
            Importer::Loaded loaded = real(data);
            loaded.failed = 0;
            return loaded;
        };
        dropStage(fixture.start());
        dropReader() = real;
        // The toast is worded from what the importer counted.
        QCOMPARE(failed(out.lines),
                 QStringList({"FAIL every image file dropped together is read, in order, and other files are counted  "
                              "[1400, 1600, 1800, 2000] 0",
                              "FAIL the toast says how many came in  "}));
    }

    // In a build without the canvas the stage stops before its page checks.
    void withoutACanvasTheStageStops()
    {
        StageFixture fixture;
        SelfCheckOutput out;
        const auto make = OverlayCanvas::make;
        OverlayCanvas::make = {};
        dropStage(fixture.start());
        OverlayCanvas::make = make;
        QCOMPARE(out.lines.last(), QStringLiteral("FAIL canvas for dropped pictures  "));
        QCOMPARE(failed(out.lines).size(), 1);
    }
};

QUILLET_TEST_MAIN(TestDropStage)
#include "tst_dropstage.moc"
