#include "OverlayFakeHost.h"

#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QClipboard>
#include <QMimeData>
#include <QPointer>
#include <QScreen>

#include <X11/keysym.h>

// A capture on the real X server, driven by the server's own synthesized input.
class TestOverlayViewX11 : public QObject
{
    Q_OBJECT

    XTestInput input;

    // The primary screen frozen as a picture whose pixels tell where they are.
    static FrozenFrame patternFrame()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        FrozenFrame frame;
        frame.screen.name = screen->name();
        frame.screen.geometry = screen->geometry();
        frame.screen.pixelScale = screen->devicePixelRatio();
        frame.image = patternImage(qRound(screen->geometry().width() * frame.screen.pixelScale),
                                   qRound(screen->geometry().height() * frame.screen.pixelScale));
        frame.image.setDevicePixelRatio(frame.screen.pixelScale);
        return frame;
    }

    // Shows a clipboard capture of frame on the primary screen, presses the button at
    // (300, 200) and moves to (500, 350); the overlay view, its button still down.
    QPointer<OverlayView> startDrag(const FrozenFrame &frame)
    {
        const QPoint origin = frame.screen.geometry.topLeft();
        input.moveTo(origin + QPoint(50, 50));
        auto *session = new CaptureSession({frame}, std::nullopt, OverlayViewHost::Mode::Clipboard);
        CaptureSession::setCurrentSession(session);
        session->show();
        QPointer<OverlayView> view = session->views().value(0);
        if (!view || !QTest::qWaitForWindowExposed(view->window())
            || !QTest::qWaitFor([&] { return view && view->window()->isActiveWindow(); }))
            return {};
        input.moveTo(origin + QPoint(300, 200));
        input.buttonDown();
        input.moveTo(origin + QPoint(420, 300));
        input.moveTo(origin + QPoint(500, 350));
        return view;
    }

    static QImage clipboardPicture()
    {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasFormat("image/png"))
            return {};
        return QImage::fromData(data->data("image/png"), "PNG").convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase() { QVERIFY(input.isValid()); }

    void cleanup()
    {
        if (CaptureSession *s = CaptureSession::currentSession())
            s->end(false);
    }

    // A drag from (300, 200) to (500, 350) puts exactly those 200 × 150 pixels of the frozen
    // screen on the clipboard and ends the capture.
    void dragCopiesFrozenPixels()
    {
        const FrozenFrame frame = patternFrame();
        QCOMPARE(frame.screen.pixelScale, 1.0);
        QPointer<OverlayView> view = startDrag(frame);
        QVERIFY(view);
        QTRY_COMPARE(view->selection(), QRectF(300, 200, 200, 150));
        input.buttonUp();

        QTRY_VERIFY(!CaptureSession::currentSession());
        const QImage copied = clipboardPicture();
        QCOMPARE(copied.size(), QSize(200, 150));
        QCOMPARE(copied, frame.image.copy(300, 200, 200, 150).convertToFormat(QImage::Format_RGB32));
    }

    // Shift pressed on the keyboard in the middle of a drag squares the area at once, without
    // another pointer move.
    void shiftHeldSquaresLive()
    {
        const FrozenFrame frame = patternFrame();
        QPointer<OverlayView> view = startDrag(frame);
        QVERIFY(view);
        QTRY_COMPARE(view->selection(), QRectF(300, 200, 200, 150));
        input.keyDown(XK_Shift_L);
        QTRY_COMPARE(view->selection(), QRectF(300, 200, 200, 200));
        input.buttonUp();
        input.keyUp(XK_Shift_L);

        QTRY_VERIFY(!CaptureSession::currentSession());
        QCOMPARE(clipboardPicture(), frame.image.copy(300, 200, 200, 200).convertToFormat(QImage::Format_RGB32));
    }
};

QUILLET_TEST_MAIN(TestOverlayViewX11)
#include "tst_overlayview_x11.moc"
