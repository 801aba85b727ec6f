// The real application opens picture files given at its start and from later starts: the first
// file as a canvas showing its pixels one for one, later ones as further pages; a SIGTERM then
// ends it cleanly, the first page kept in the history.
#include "AppUnderTest.h"
#include "RealApp.h"
#include "ScreenPixels.h"
#include "TestEnv.h"
#include "history/Recents.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <csignal>

using namespace AppUnderTest;
using namespace ScreenPixels;

class TestOpenPicturesX11 : public QObject
{
    Q_OBJECT

private slots:
    void filesAtStartAndFromALaterStart()
    {
        QVERIFY(RealApp::markWelcomed());

        QTemporaryDir files;
        QVERIFY(files.isValid());
        QDir(files.path()).mkdir(QStringLiteral("more"));
        const QRgb aColour = qRgb(0x12, 0xab, 0x34);
        QVERIFY(writePicture(files.filePath(QStringLiteral("a.png")), QSize(300, 200), aColour));
        QVERIFY(writePicture(files.filePath(QStringLiteral("more/b.png")), QSize(200, 100), qRgb(200, 30, 30)));
        QVERIFY(writePicture(files.filePath(QStringLiteral("more/c.png")), QSize(120, 90), qRgb(30, 30, 200)));

        QProcess app;
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.setWorkingDirectory(files.path());
        app.start(appPath(), {QStringLiteral("a.png")});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("canvas opened"), 15000);
        // a's pixels one for one: its inside spans exactly 298 x 198 screen pixels (a fitted
        // picture would be scaled and blend at its edges); the crop grips drawn over its corners
        // and edges cover a few of them.
        QTRY_COMPARE_WITH_TIMEOUT(find(aColour).bounds.size(), QSize(298, 198), 5000);
        QVERIFY(find(aColour).count > 298 * 198 * 9 / 10);

        // A later start from another folder with relative paths: two more pages.
        QProcess later;
        later.setWorkingDirectory(files.filePath(QStringLiteral("more")));
        later.start(appPath(), {QStringLiteral("b.png"), QStringLiteral("c.png")});
        QVERIFY(later.waitForFinished(10000));
        QCOMPARE(later.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("import: 2 file(s) opened, 2 picture(s)"),
                                 10000);
        QCOMPARE(app.state(), QProcess::Running);

        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        // The first page was kept in the history on the way out; b and c, untouched since they
        // were added, stay files of their own.
        QCOMPARE(Recents::list().size(), 1);
    }
};

QUILLET_TEST_MAIN(TestOpenPicturesX11)
#include "tst_openpictures_x11.moc"
