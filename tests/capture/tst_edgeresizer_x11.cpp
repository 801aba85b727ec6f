#include "capture/EdgeResizer.h"
#include "capture/OverlayWindow.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QScreen>
#include <QWindow>

namespace {
// The canvas window as the canvas makes it: titled, managed, at least 640 x 400.
std::unique_ptr<OverlayWindow> canvasWindow(const QRect &frame)
{
    auto window = std::make_unique<OverlayWindow>(frame);
    window->edges = std::make_unique<EdgeResizer>();
    window->setWindowFlags(Qt::Window);
    window->setMinimumSize(640, 400);
    auto *view = new QWidget;
    view->setCursor(Qt::CrossCursor);
    window->setContentView(view);
    window->setGeometry(frame);
    window->show();
    return window;
}

bool framed(const OverlayWindow *window)
{
    return window->isVisible() && window->frameGeometry() != window->geometry();
}
} // namespace

class TestEdgeResizer : public QObject
{
    Q_OBJECT
    XTestInput input;

private slots:
    void initTestCase()
    {
        if (!input.isValid())
            QSKIP("no XTEST on this display");
    }

    void dragTheLeftEdge()
    {
        auto window = canvasWindow(QRect(300, 150, 800, 600));
        QTRY_VERIFY(framed(window.get()));
        QTRY_VERIFY(window->windowHandle()->isExposed());
        const QRect before = window->geometry();
        const QPoint start = before.topLeft() + QPoint(5, 300);
        input.moveTo(start);
        QTRY_COMPARE(window->windowHandle()->cursor().shape(), Qt::SizeHorCursor);
        input.drag(start, start - QPoint(100, 0));
        QTRY_COMPARE(window->geometry().width(), 900);
        QCOMPARE(window->geometry().right(), before.right());
        QCOMPARE(window->geometry().height(), before.height());
        // Away from the zones the view's own cursor comes back.
        input.moveTo(window->geometry().center());
        QTRY_COMPARE(window->windowHandle()->cursor().shape(), Qt::CrossCursor);
        // Below the minimum width the left edge stops; the right edge stays.
        const QPoint edge = window->geometry().topLeft() + QPoint(5, 300);
        input.drag(edge, edge + QPoint(600, 0));
        QTRY_COMPARE(window->geometry().width(), 640);
        QCOMPARE(window->geometry().right(), before.right());
    }

    void doubleClickExtendsToTheScreen()
    {
        auto window = canvasWindow(QRect(200, 150, 800, 600));
        QTRY_VERIFY(framed(window.get()));
        QTRY_VERIFY(window->windowHandle()->isExposed());
        const QRect available = window->screen()->availableGeometry();
        const QPoint corner = window->geometry().bottomRight() - QPoint(3, 3);
        input.moveTo(corner);
        QTRY_COMPARE(window->windowHandle()->cursor().shape(), Qt::SizeFDiagCursor);
        input.buttonDown();
        input.buttonUp();
        input.buttonDown();
        input.buttonUp();
        QTRY_COMPARE(window->frameGeometry().right(), available.right());
        QTRY_COMPARE(window->frameGeometry().bottom(), available.bottom());
        QCOMPARE(window->geometry().left(), 200);
    }

    void selectionOverlaysAreNeverResized()
    {
        OverlayWindow overlay(QRect(0, 0, 400, 300));
        QCOMPARE(Edge::toRaw(EdgeResizer::edgeAt(&overlay, QPointF(5, 150))), Edge::noneRaw);
        QWidget view(&overlay);
        QCOMPARE(EdgeResizer::innerRect(&view, QRect(0, 0, 400, 300)), QRect(0, 0, 400, 300));
    }
};

QUILLET_TEST_MAIN(TestEdgeResizer)
#include "tst_edgeresizer_x11.moc"
