// The real application's drag-out handle under a real drag and drop: the hand dragged from the
// canvas's toolbar onto a window of another program that takes files gives it one file URL of a
// PNG holding the page, and the one-page canvas ends; a drop that is refused leaves the canvas
// open, opaque and taking the pointer again.
#include "CanvasDragOut.h"
#include "TestEnv.h"

using namespace CanvasApp;

namespace {
constexpr uint32_t XK_Escape = 0xff1b;
} // namespace

class TestCanvasDragDropX11 : public QObject
{
    Q_OBJECT

    Session session;
    DropTarget target;

    int closed() const { return logCount("app.log", "canvas closed"); }

private slots:
    void initTestCase()
    {
        // Away from the captured area; the canvas will cover it.
        target.setWindowTitle(QStringLiteral("Drop here"));
        target.setAcceptDrops(true);
        target.setGeometry(780, 560, 240, 160);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        QVERIFY(session.start());
    }

    void droppedOnAnotherProgram()
    {
        XTestInput input;
        Desktop desktop;
        const int before = closed();
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        std::optional<QPoint> hand;
        QTRY_VERIFY_WITH_TIMEOUT((hand = symbolOnScreen(QStringLiteral("hand"), desktop.geometry(canvas))).has_value(), 5000);

        // Below the canvas: the drag finds it through the canvas, which lets the pointer through.
        QVERIFY(desktop.geometry(canvas).contains(target.geometry()));
        dragOut(input, *hand, target.geometry().center());
        QTRY_COMPARE_WITH_TIMEOUT(target.drops.size(), 1, 10000);
        QCOMPARE(target.drops.first().size(), 1);
        const QUrl url = target.drops.first().first();
        QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
        const QImage dropped(url.toLocalFile());
        QCOMPARE(dropped.size(), chosenArea.size());
        QCOMPARE(dropped.dotsPerMeterX(), 2835);
        const QImage copied = dropped.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < copied.height(); ++y)
            for (int x = 0; x < copied.width(); ++x)
                QCOMPARE(copied.pixel(x, y) & 0xffffff,
                         patternAt(session.patternArea, chosenArea.topLeft() + QPoint(x, y)) & 0xffffff);
        // In the application's own private folder, and kept after the drop.
        QVERIFY(url.toLocalFile().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/Quillet/")));
        // One page: dropped, it ends the canvas.
        QTRY_COMPARE_WITH_TIMEOUT(closed(), before + 1, 10000);
        QVERIFY(QFile::exists(url.toLocalFile()));
    }

    void refusedDropLeavesTheCanvasUsable()
    {
        XTestInput input;
        Desktop desktop;
        const int before = closed();
        target.refuses = true;
        const xcb_window_t canvas = session.openCanvas(input, desktop);
        QVERIFY(canvas);
        std::optional<QPoint> hand;
        QTRY_VERIFY_WITH_TIMEOUT((hand = symbolOnScreen(QStringLiteral("hand"), desktop.geometry(canvas))).has_value(), 5000);
        const int drops = int(target.drops.size());
        dragOut(input, *hand, target.geometry().center());
        QTest::qWait(500);
        QCOMPARE(target.drops.size(), drops);
        QCOMPARE(closed(), before);

        // Opaque again (no opacity below full) and taking the pointer: a drag draws an arrow.
        const QList<quint32> opacity = desktop.values(canvas, "_NET_WM_WINDOW_OPACITY", XCB_ATOM_CARDINAL);
        QVERIFY(opacity.isEmpty() || opacity.first() == 0xffffffffu);
        const QRect shot = session.settledShot(desktop, canvas);
        QVERIFY(!shot.isEmpty());
        const auto redAt = [&](QPoint p) {
            const QRgb c = screenPixels(QRect(shot.topLeft() + p, QSize(1, 1))).pixel(0, 0);
            return qRed(c) > 200 && qGreen(c) < 90 && qBlue(c) < 75;
        };
        QVERIFY(!redAt(QPoint(90, 75)));
        input.drag(shot.topLeft() + QPoint(30, 75), shot.topLeft() + QPoint(150, 75));
        QTRY_VERIFY_WITH_TIMEOUT(redAt(QPoint(90, 75)), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.focus(), canvas, 5000);
        // The arrow's comment may be open for typing: the first Escape ends that.
        for (int i = 0; i < 2 && closed() == before; ++i) {
            input.chord({}, XK_Escape);
            QTest::qWaitFor([&] { return closed() > before; }, 3000);
        }
        QCOMPARE(closed(), before + 1);
    }
};

QUILLET_TEST_MAIN(TestCanvasDragDropX11)
#include "tst_canvasdragdrop_x11.moc"
