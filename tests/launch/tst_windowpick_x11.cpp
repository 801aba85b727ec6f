// The real application picks a window by a click in a clipboard capture, with a compositing
// manager running: the picture is that window's own, even where another window covers part of
// it on screen, pixel for pixel and opaque, whoever painted it (Qt, or a plain xcb client that
// leaves 0x00 or garbage in the fourth byte of its pixels).
#include "AppUnderTest.h"
#include "PatternSource.h"
#include "StandInCompositor.h"
#include "TestEnv.h"
#include "XTestInput.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QWidget>

#include <memory>

namespace {
constexpr uint32_t XK_Control_L = 0xffe3, XK_Shift_L = 0xffe1, XK_Super_L = 0xffeb, XK_2 = 0x32;
using namespace AppUnderTest;
using PatternSource::Kind;

// Where a picture holds the pattern's top-left corner one for one, for a pattern of that size.
std::optional<QPoint> patternIn(const QImage &picture, QSize size)
{
    const QPoint probes[] = {{0, 0}, {1, 1}, {size.width() - 1, 0}, {0, size.height() - 1}, {37, 29}};
    for (int y = 0; y + size.height() <= picture.height(); ++y)
        for (int x = 0; x + size.width() <= picture.width(); ++x)
            if (std::all_of(std::begin(probes), std::end(probes), [&](QPoint p) {
                    return (picture.pixel(x + p.x(), y + p.y()) & 0xffffff)
                        == (RawPattern::colour(p.x(), p.y()) & 0xffffff);
                }))
                return QPoint(x, y);
    return std::nullopt;
}
} // namespace

Q_DECLARE_METATYPE(Kind)

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
        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(appPath(), {});
        QVERIFY(app->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/app.log").contains("launch: started"), 10000);
        QTest::qWait(500);
    }

    void cleanupTestCase()
    {
        if (app && app->state() != QProcess::NotRunning) {
            app->kill();
            app->waitForFinished();
        }
        compositor.reset();
    }

    void clickedWindowHalfCoveredGivesItsOwnPicture_data()
    {
        QTest::addColumn<Kind>("source");
        for (Kind source : PatternSource::all)
            QTest::newRow(PatternSource::name(source)) << source;
    }

    void clickedWindowHalfCoveredGivesItsOwnPicture()
    {
        QFETCH(Kind, source);
        XTestInput input;
        QVERIFY(input.isValid());
        const auto window = PatternSource::show(source, QRect(300, 200, 200, 150), true);
        QVERIFY(window);
        // A blue window of the test over the pattern window's right half.
        QWidget blue;
        blue.setStyleSheet(QStringLiteral("background: #0000ff"));
        blue.setGeometry(window->inside.x() + 100, window->inside.y(), 200, 150);
        blue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&blue));
        blue.raise();
        QTest::qWait(300);

        QGuiApplication::clipboard()->setText(QStringLiteral("the test's"));
        const int captures = int(readFile(logDir() + "/capture.log").count('\n'));
        input.chord({XK_Control_L, XK_Shift_L, XK_Super_L}, XK_2);
        QTRY_VERIFY_WITH_TIMEOUT(readFile(logDir() + "/capture.log").count('\n') > captures, 10000);
        QTest::qWait(300);
        // A click on the part of the pattern window that shows.
        input.moveTo(window->inside.topLeft() + QPoint(40, 75));
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

        qsizetype bluePixels = 0, seeThrough = 0;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                bluePixels += (line[x] & 0xffffff) == 0x0000ff;
                seeThrough += qAlpha(line[x]) != 255;
            }
        }
        QCOMPARE(bluePixels, 0);
        // The window manager's frame and the window: no shadow margin, nothing see-through.
        QCOMPARE(seeThrough, 0);
        const std::optional<QPoint> at = patternIn(picture, window->inside.size());
        QVERIFY(at);
        const QString fault = PatternSource::firstDifference(picture.copy(QRect(*at, window->inside.size())),
                                                             window->pixels(window->inside));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QUILLET_TEST_MAIN(TestWindowPickX11)
#include "tst_windowpick_x11.moc"
