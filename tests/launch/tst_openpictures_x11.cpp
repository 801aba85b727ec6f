// The real application opens picture files given at its start and from later starts: the first
// file as a canvas showing its pixels one for one, later ones as further pages; a SIGTERM then
// ends it cleanly.
#include "AppUnderTest.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <csignal>

namespace {
using namespace AppUnderTest;

// A picture of one colour with a frame of another, so that its pixels are known on screen; at
// 72 dpi, the resolution of a picture of scale 1.
bool writePicture(const QString &path, QSize size, QRgb inside)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    image.fill(qRgb(10, 10, 10));
    for (int y = 1; y < size.height() - 1; ++y)
        for (int x = 1; x < size.width() - 1; ++x)
            image.setPixel(x, y, inside);
    return image.save(path);
}

// Where a colour is on screen: the bounds of its pixels and how many there are.
struct OnScreen
{
    QRect bounds;
    qsizetype count = 0;
};

OnScreen findOnScreen(QRgb colour)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    OnScreen found;
    for (int y = 0; y < shot.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if ((line[x] & 0xffffff) == (colour & 0xffffff)) {
                found.bounds |= QRect(x, y, 1, 1);
                ++found.count;
            }
        }
    }
    return found;
}

} // namespace

class TestOpenPicturesX11 : public QObject
{
    Q_OBJECT

private slots:
    void filesAtStartAndFromALaterStart()
    {
        // A user who has been welcomed already: no welcome window takes the front.
        const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Quillet");
        QDir().mkpath(config);
        QFile prefs(config + QStringLiteral("/preferences.json"));
        QVERIFY(prefs.open(QIODevice::WriteOnly));
        prefs.write(R"({"onboarding.done": true})");
        prefs.close();

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
        QTRY_COMPARE_WITH_TIMEOUT(findOnScreen(aColour).bounds.size(), QSize(298, 198), 5000);
        QVERIFY(findOnScreen(aColour).count > 298 * 198 * 9 / 10);

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
    }
};

QUILLET_TEST_MAIN(TestOpenPicturesX11)
#include "tst_openpictures_x11.moc"
