// The real application picks a window by a click in a clipboard capture: the picture is that
// window's own, even where another window covers part of it on screen.
#include "AppUnderTest.h"
#include "StandInCompositor.h"
#include "TestEnv.h"
#include "XTestInput.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QWidget>

#include <memory>
#include <tuple>


namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32;
using namespace AppUnderTest;
} // namespace

class TestWindowPickX11 : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandInCompositor> compositor;
    std::unique_ptr<QProcess> app;

private slots:
    void initTestCase()
    {
        compositor = std::make_unique<StandInCompositor>();
        if (!compositor->problem().isEmpty())
            QSKIP(qPrintable(compositor->problem()));
    }

    void cleanupTestCase()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->kill();
            app->waitForFinished();
        }
        compositor.reset();
    }

    void clickedWindowHalfCoveredGivesItsOwnPicture()
    {
        XTestInput input;
        QVERIFY(input.isValid());
        QWidget red, blue;
        for (auto [window, colour, x] : {std::tuple{&red, "#ff0000", 300}, std::tuple{&blue, "#0000ff", 400}}) {
            window->setStyleSheet(QStringLiteral("background: ") + QLatin1String(colour));
            window->setGeometry(x, 200, 200, 150);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }
        blue.raise();
        QTest::qWait(300);
        QVERIFY(red.geometry().intersects(blue.geometry()));

        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        QVERIFY(app->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("launch: started"), 10000);
        QTest::qWait(500);

        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(!readFile(logDir() + "/capture.log").isEmpty(), 10000);
        QTest::qWait(300);
        // A click on the part of the red window that shows.
        input.moveTo(red.mapToGlobal(QPoint(40, 75)));
        QTest::qWait(150);
        input.buttonDown();
        input.buttonUp();

        const QString png = QDir::temp().filePath(QStringLiteral("quillet-pick-%1.png").arg(QCoreApplication::applicationPid()));
        QProcess reader;
        reader.start(captureHelper(QStringLiteral("helper_clipboard")), {png});
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.exitCode(), 0);
        const QImage picture = QImage(png).convertToFormat(QImage::Format_ARGB32);
        QFile::remove(png);
        QVERIFY(picture.width() >= 200 && picture.height() >= 150);

        qsizetype redPixels = 0, bluePixels = 0;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = line[x] & 0xffffff;
                redPixels += p == 0xff0000;
                bluePixels += p == 0x0000ff;
            }
        }
        QCOMPARE(bluePixels, 0);
        QVERIFY2(redPixels >= 200 * 150 * 9 / 10, qPrintable(QString::number(redPixels)));
    }
};

QUILLET_TEST_MAIN(TestWindowPickX11)
#include "tst_windowpick_x11.moc"
