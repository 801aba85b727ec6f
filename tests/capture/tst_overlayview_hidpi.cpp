#include "OverlayFakeHost.h"

#include "app/ChromeViews.h"
#include "capture/OverlayView.h"

#include "TestEnv.h"

#include <QLabel>

// The whole test runs on a screen of two device pixels per point.
static const bool scaledScreen = qputenv("QT_SCALE_FACTOR", "2");

using namespace OverlayInput;

class TestOverlayViewHiDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(scaledScreen); }

    // The frozen picture is painted pixel for pixel, and sizes and positions are in pixels.
    void paintsFrozenPixelsAtScale2()
    {
        OverlayFakeHost host;
        OverlayView view(QSize(400, 300), patternImage(800, 600));
        view.setSession(&host);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.devicePixelRatio(), 2.0);
        QCOMPARE(view.pixelScale(), 2.0);

        view.setWindows({QRectF(10, 10, 100.3, 50.2)}, {});
        hover(&view, {50.25, 30.5});
        QCOMPARE(view.chip()->label()->text(), QString("201 × 100"));
        QCOMPARE(view.coordLabel()->label()->text(), QString("100  61"));

        QTRY_COMPARE(view.dimOpacity(), 1.0);
        press(&view, {200, 150});
        drag(&view, {300.5, 250});
        release(&view, {300.5, 250});
        QCOMPARE(view.selection(), QRectF(200, 150, 100.5, 100));
        QCOMPARE(host.calls.value(0), QString("commit 200,150 100.5x100"));
        QCOMPARE(view.croppedImage(*view.selection()).size(), QSize(201, 200));

        const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(800, 600));
        // Inside the area, away from the border and handles, every device pixel is the frozen one.
        const QRect inside(430, 330, 140, 140);
        QCOMPARE(shot.copy(inside), view.frozen().copy(inside).convertToFormat(QImage::Format_RGB32));
    }
};

QUILLET_TEST_MAIN(TestOverlayViewHiDpi)
#include "tst_overlayview_hidpi.moc"
