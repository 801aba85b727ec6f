// A clipboard capture on two monitors of different sizes, driven by XTest as a user would: the
// keys act on the monitor the pointer is on, and a drag into a corner takes the last pixels in.
#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"

#include "SessionFixture.h"
#include "TestEnv.h"
#include "XTestInput.h"

#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

using namespace SessionFixture;

namespace {
constexpr uint32_t XK_f = 0x66;

// What another X client reads from the CLIPBOARD as PNG.
QImage clipboardPicture()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("clip");
    QProcess helper;
    helper.start(TestEnv::helperPath("capture_helper_clipboard"), {out, "image/png"});
    if (!helper.waitForStarted(5000))
        return {};
    // The selection is served by this process's event loop: keep it running meanwhile.
    if (!QTest::qWaitFor([&helper] { return helper.state() == QProcess::NotRunning; }, 10000)
        || helper.exitCode() != 0)
        return {};
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestOverlayTwoScreens : public QObject
{
    Q_OBJECT

    XTestInput input;
    CaptureSession *session = nullptr;

    // A clipboard capture shown with the pointer on the first screen.
    bool start()
    {
        input.moveTo(QGuiApplication::screens().at(0)->geometry().center());
        session = new CaptureSession(screenFrames(), std::nullopt, OverlayViewHost::Mode::Clipboard);
        CaptureSession::setCurrentSession(session);
        session->show();
        for (OverlayWindow *w : session->windows())
            if (!QTest::qWaitForWindowExposed(w))
                return false;
        return QTest::qWaitFor([this] { return session->windows().at(0)->isKey(); }, 5000);
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("this display has one monitor; scripts/xserver.sh starts one with two");
        QVERIFY(input.isValid());
    }
    void init() { CaptureSession::resetForTesting(); }

    void fullScreenKeyTakesTheMonitorUnderThePointer()
    {
        QVERIFY(start());
        QScreen *second = QGuiApplication::screens().at(1);
        input.moveTo(second->geometry().center());
        QTRY_VERIFY(session->windows().at(1)->isKey());
        QVERIFY(!session->windows().at(0)->isKey());
        const QImage expected = session->views().at(1)->frozen().convertToFormat(QImage::Format_RGB32);

        input.keyDown(XK_f);
        input.keyUp(XK_f);
        QTRY_COMPARE(CaptureSession::currentSession(), nullptr);
        QTRY_COMPARE(toastText(), QStringLiteral("Copied  %1 × %2").arg(expected.width()).arg(expected.height()));
        QVERIFY(clipboardPicture() == expected);
    }

    void dragIntoACornerTakesTheLastPixels_data()
    {
        QTest::addColumn<int>("screen");
        QTest::newRow("first monitor") << 0;
        QTest::newRow("second monitor") << 1;
    }
    void dragIntoACornerTakesTheLastPixels()
    {
        QFETCH(int, screen);
        QVERIFY(start());
        const QRect g = QGuiApplication::screens().at(screen)->geometry();
        const QImage expected = session->views().at(screen)->frozen()
                                    .copy(g.width() - 120, g.height() - 80, 120, 80)
                                    .convertToFormat(QImage::Format_RGB32);
        // From 120 × 80 pixels inside the corner to the very last pixel, the pointer's limit.
        input.drag(g.topLeft() + QPoint(g.width() - 120, g.height() - 80), g.topLeft() + QPoint(g.width() - 1, g.height() - 1));
        QTRY_COMPARE(CaptureSession::currentSession(), nullptr);
        QTRY_COMPARE(toastText(), QStringLiteral("Copied  120 × 80"));
        QVERIFY(clipboardPicture() == expected);
    }
};

QUILLET_TEST_MAIN(TestOverlayTwoScreens)
#include "tst_overlaytwoscreens_x11.moc"
