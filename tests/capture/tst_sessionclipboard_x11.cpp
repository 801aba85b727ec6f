#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"

#include "SessionFixture.h"
#include "TestEnv.h"

#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

using namespace SessionFixture;

// The clipboard result of a capture, read back by another X client.
class TestSessionClipboard : public QObject
{
    Q_OBJECT

    // What another process reads from the CLIPBOARD as the given type.
    static QByteArray readClipboard(const QString &type)
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("clip");
        QProcess helper;
        helper.start(TestEnv::helperPath("capture_helper_clipboard"), {out, type});
        // The selection is served by this process's event loop: keep it running meanwhile.
        if (!helper.waitForStarted(5000))
            return {};
        for (int waited = 0; helper.state() != QProcess::NotRunning && waited < 10000; waited += 20)
            QTest::qWait(20);
        if (helper.state() != QProcess::NotRunning || helper.exitCode() != 0)
            return {};
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() { CaptureSession::resetForTesting(); }

    void copyAreaReachesAnotherClient()
    {
        auto *s = new CaptureSession(screenFrames(), std::nullopt, OverlayViewHost::Mode::Clipboard);
        CaptureSession::setCurrentSession(s);
        s->show();
        QVERIFY(QTest::qWaitForWindowExposed(s->windows()[0]));
        OverlayView *view = s->views()[0];
        QCOMPARE(view->pixelScale(), 1.0);
        const QImage expected = view->frozen().copy(100, 100, 200, 150).convertToFormat(QImage::Format_RGB32);
        s->copyArea(view, QRectF(100, 100, 200, 150));
        QCOMPARE(CaptureSession::currentSession(), nullptr); // without waiting for the bytes
        QTRY_COMPARE(toastText(), QStringLiteral("Copied  200 × 150"));

        const QImage png = QImage::fromData(readClipboard("image/png"), "png");
        QCOMPARE(png.size(), QSize(200, 150));
        QVERIFY(png.convertToFormat(QImage::Format_RGB32) == expected);
        const QImage tiff = QImage::fromData(readClipboard("image/tiff"), "tiff");
        QVERIFY(tiff.convertToFormat(QImage::Format_RGB32) == expected);
    }
};

QUILLET_TEST_MAIN(TestSessionClipboard)
#include "tst_sessionclipboard_x11.moc"
