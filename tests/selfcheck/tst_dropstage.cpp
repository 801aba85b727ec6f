// The dropped-pictures stage of the self-check: its checks pass on the real importer and canvas,
// it leaves the five dropped files, an importer that loses count fails the first check with what
// it read, and without a canvas the stage stops.
#include "selfcheck/DropStage.h"

#include "capture/OverlayCanvas.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"

using namespace Autopilot;

class TestDropStage : public QObject
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

    void everyCheckPasses()
    {
        SelfCheckOutput out;
        dropStage(start());
        QVERIFY2(out.failed().isEmpty(), qPrintable(out.failed().join('\n')));
        // Eleven checks of the drop, then the sidebar's nine on the same canvas.
        QCOMPARE(out.lines.filter(QRegularExpression("^ok ")).size(), 20);
        QVERIFY(services->pictureWritten("7d-commands"));
        QCOMPARE(QDir(QDir(folder()).filePath("dropped")).entryList(QDir::Files),
                 QStringList({"notes.txt", "photo-1.png", "photo-2.png", "photo-3.png", "photo-4.png"}));
        QVERIFY(services->pictureWritten("7b-dropped"));
        QVERIFY(services->pictureWritten("7c-done"));
        // Nothing of the dropped pictures went into the history.
        QCOMPARE(Recents::list().size(), 0);
    }

    void anImporterThatStopsCountingFails()
    {
        SelfCheckOutput out;
        const auto real = dropReader();
        dropReader() = [real](const QMimeData *data) {
            Importer::Loaded loaded = real(data);
            loaded.failed = 0;
            return loaded;
        };
        dropStage(start());
        dropReader() = real;
        // The toast is worded from what the importer counted.
        QCOMPARE(out.failed(),
                 QStringList({"FAIL every image file dropped together is read, in order, and other files are counted  "
                              "[1400, 1600, 1800, 2000] 0",
                              "FAIL the toast says how many came in  "}));
    }

    // In a build without the canvas the stage stops before its page checks.
    void withoutACanvasTheStageStops()
    {
        SelfCheckOutput out;
        const auto make = OverlayCanvas::make;
        OverlayCanvas::make = {};
        dropStage(start());
        OverlayCanvas::make = make;
        QCOMPARE(out.lines.last(), QStringLiteral("FAIL canvas for dropped pictures  "));
        QCOMPARE(out.failed().size(), 1);
        QVERIFY(!services->pictureWritten("7d-commands"));
    }
};

QUILLET_STAGE_TEST_MAIN(TestDropStage)
#include "tst_dropstage.moc"
