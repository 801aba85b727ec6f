// The canvas's shot shown smaller than its pixels: a whole display bigger than the canvas window
// shows fine patterns as their mean colour at every zoom below 100%, not as blocks of samples.
#include "CanvasFixture.h"

#include "TestEnv.h"

namespace {
QImage checkerboard(int w, int h)
{
    QImage board(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(board.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return board;
}

// The darkest and lightest grey in a square of the view.
std::pair<int, int> greys(QWidget *view, const QRect &square)
{
    const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int lo = 255, hi = 0;
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x) {
            lo = std::min(lo, qGray(shot.pixel(x, y)));
            hi = std::max(hi, qGray(shot.pixel(x, y)));
        }
    return {lo, hi};
}
} // namespace

class TestCanvasShotZoom : public QObject
{
    Q_OBJECT

private slots:
    void checkerboardShowsItsMeanGrey_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("56%") << 0.56;
        QTest::newRow("75%") << 0.75;
    }
    void checkerboardShowsItsMeanGrey()
    {
        QFETCH(double, zoom);
        CanvasController::install();
        OverlayFakeHost host(OverlayViewHost::Mode::Canvas);
        OverlayView view(QSize(1200, 800), checkerboard(1200, 800), 1);
        view.setSession(&host);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.finish(QRectF(0, 0, 1200, 800));
        auto *c = dynamic_cast<CanvasController *>(view.canvas());
        QVERIFY(c);
        c->endEditing();
        const QRectF shot = c->markup.shots.first().rect;
        c->scrollView->setView(zoom, shot.topLeft() + QPointF(40, 40));
        const QRect square(20, 20, 200, 200);
        std::pair<int, int> seen;
        QTRY_VERIFY2((seen = greys(c->scrollView, square), seen.first >= 121 && seen.second <= 134),
                     qPrintable(QStringLiteral("greys from %1 to %2").arg(seen.first).arg(seen.second)));
    }
};

QUILLET_TEST_MAIN(TestCanvasShotZoom)
#include "tst_canvasshotzoom.moc"
