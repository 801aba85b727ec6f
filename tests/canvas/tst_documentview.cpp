#include "CanvasFixture.h"

#include "TestEnv.h"

#include "canvas/CommandSidebar.h"
#include "canvas/TextItemView.h"

// The document and its view: size and growth, zoom and placement, panning at the window edge,
// and what the pointer is over.
class TestDocumentView : public QObject
{
    Q_OBJECT

    // A scroll view of 800 × 600 over a document of base size 800 × 600.
    struct Views
    {
        QWidget host;
        DocumentView doc{QSizeF(800, 600), 7};
        CanvasScrollView *view = nullptr;
        Views()
        {
            host.resize(800, 600);
            view = new CanvasScrollView(QRect(0, 0, 800, 600), &doc, &host);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
        }
    };

private slots:
    void spanAndReach()
    {
        DocumentView doc(QSizeF(800, 600), 7);
        QCOMPARE(doc.sceneRect(), QRectF(-2400, -1800, 5600, 4200));
        QCOMPARE(doc.reach(), QSizeF(1600, 1200));
    }

    void include()
    {
        Views v;
        v.view->setView(1.5, QPointF(100, 50));
        const QPointF onScreen = v.view->viewPoint(QPointF(300, 200));
        // Inside with its reach: nothing changes.
        v.doc.include(QRectF(0, 0, 800, 600));
        QCOMPARE(v.doc.sceneRect(), QRectF(-2400, -1800, 5600, 4200));
        // Past the left border: the document grows to the left, the screen stays still.
        v.doc.include(QRectF(-1500, 0, 100, 100));
        QCOMPARE(v.doc.sceneRect().left(), -1500.0 - 1600);
        QCOMPARE(v.doc.sceneRect().right(), 3200.0);
        const QPointF after = v.view->viewPoint(QPointF(300, 200));
        QVERIFY(qAbs(after.x() - onScreen.x()) <= 1 && qAbs(after.y() - onScreen.y()) <= 1);
        v.doc.include(QRectF());
        QCOMPARE(v.doc.sceneRect().left(), -3100.0);
    }

    void zoom_data()
    {
        QTest::addColumn<double>("asked");
        QTest::addColumn<double>("got");
        QTest::addColumn<bool>("keeps"); // false: the whole document fits, and lies at the top left
        QTest::newRow("20") << 20.0 << 8.0 << true;
        QTest::newRow("0.01") << 0.01 << 0.05 << false;
        QTest::newRow("2") << 2.0 << 2.0 << true;
    }
    void zoom()
    {
        QFETCH(double, asked);
        QFETCH(double, got);
        QFETCH(bool, keeps);
        Views v;
        const QPointF at(300, 200);
        const QPointF under = v.view->documentPoint(at);
        v.view->zoom(asked, at);
        QCOMPARE(v.view->magnification(), got);
        const QPointF still = v.view->viewPoint(under);
        if (!keeps) {
            QCOMPARE(v.view->viewPoint(v.doc.sceneRect().topLeft()), QPointF(0, 0));
            return;
        }
        QVERIFY(qAbs(still.x() - at.x()) <= 1 && qAbs(still.y() - at.y()) <= 1);
    }

    // Zooming in and out again many times leaves the origin where it was.
    void noDrift()
    {
        Views v;
        v.view->setView(1, QPointF(12.25, 7.5));
        for (int i = 0; i < 50; ++i) {
            v.view->zoom(1.37, QPointF(333, 211));
            v.view->zoom(1, QPointF(333, 211));
        }
        QVERIFY(qAbs(v.view->origin().x() - 12.25) < 1e-6);
        QVERIFY(qAbs(v.view->origin().y() - 7.5) < 1e-6);
    }

    void showDocumentRect()
    {
        Views v;
        v.view->showDocumentRect(QRectF(100, 100, 200, 100), QRectF(50, 40, 400, 200));
        QCOMPARE(v.view->magnification(), 2.0);
        QCOMPARE(v.view->viewPoint(QPointF(100, 100)), QPointF(50, 40));
        v.view->showDocumentRect(QRectF(0, 0, 0, 100), QRectF(0, 0, 400, 200));
        QCOMPARE(v.view->magnification(), 2.0);
    }

    void pan()
    {
        Views v;
        v.view->setView(2, QPointF(0, 0));
        v.view->pan(20, 10);
        QCOMPARE(v.view->origin(), QPointF(-10, -5));
    }

    // The auto-scroll step for a pointer near an edge of an 800 × 600 view.
    void edgeStep_data()
    {
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<QPointF>("depth");
        QTest::addColumn<QPointF>("step");
        QTest::newRow("10 from the left") << QPointF(10, 300) << QPointF(18, 0) << QPointF(10.8, 0);
        QTest::newRow("2 from the left") << QPointF(2, 300) << QPointF(26, 0) << QPointF(14.4, 0);
        QTest::newRow("40 beyond the right") << QPointF(840, 300) << QPointF(-68, 0) << QPointF(-14.4, 0);
        QTest::newRow("10 inside the right") << QPointF(790, 300) << QPointF(-18, 0) << QPointF(-10.8, 0);
        QTest::newRow("top left corner") << QPointF(10, 10) << QPointF(18, 18) << QPointF(10.8, 10.8);
        QTest::newRow("middle") << QPointF(400, 300) << QPointF(0, 0) << QPointF(0, 0);
    }
    void edgeStep()
    {
        QFETCH(QPointF, pointer);
        QFETCH(QPointF, depth);
        QFETCH(QPointF, step);
        const QSizeF size(800, 600);
        const QPointF d = DocumentView::edgeDepth(pointer, size);
        const QPointF s = DocumentView::edgeStep(pointer, size);
        QVERIFY(qFuzzyCompare(d.x() + 1, depth.x() + 1) && qFuzzyCompare(d.y() + 1, depth.y() + 1));
        QVERIFY(qFuzzyCompare(s.x() + 1, step.x() + 1) && qFuzzyCompare(s.y() + 1, step.y() + 1));
    }

    // A drag near the edge starts the timer; a tick that sees the button up stops it.
    void edgeTimer()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        DocumentView *doc = c->docView;
        DocumentView::LiveInput saved = DocumentView::liveInput();
        bool down = true;
        const QPoint near = c->scrollView->viewport()->mapToGlobal(QPoint(10, 300));
        DocumentView::liveInput() = {[&] { return down; }, [&] { return near; }, [] { return Qt::KeyboardModifiers(); }};
        doc->mouseDragged({}, c->scrollView->documentPoint(QPointF(10, 300)), QPointF(10, 300));
        QVERIFY(doc->edgeTimerRunning());
        QVERIFY(c->edgePanning);
        const QPointF origin = c->scrollView->origin();
        doc->edgeTick();
        const double moved = (origin.x() - c->scrollView->origin().x()) * c->scrollView->magnification();
        QVERIFY2(qAbs(moved - 10.8) <= 1, qPrintable(QString::number(moved)));
        down = false;
        doc->edgeTick();
        QVERIFY(!doc->edgeTimerRunning());
        // Back in the middle: no timer.
        down = true;
        doc->mouseDragged({}, QPointF(), QPointF(400, 300));
        QVERIFY(!doc->edgeTimerRunning());
        DocumentView::liveInput() = saved;
    }

    // Hovering: over a comment's text, idle and typed, over the canvas surface, over a view lying
    // over the canvas.
    void pointerTarget()
    {
        CanvasFixture f;
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        auto *text = new TextItemView(Item::noteAt(QPointF(), TextSide::right, 200, QString(), 0, 2));
        text->setPlainText(QStringLiteral("A comment"));
        const QPointF textAt = c->scrollView->documentPoint(QPointF(200, 200));
        text->setPos(textAt);
        c->docView->addItem(text);
        QWidget *window = f.view->window();
        const auto at = [&](QPoint inView) { return c->scrollView->viewport()->mapTo(window, inView); };

        // A comment that is not being typed lets the pointer through to the canvas.
        auto t = c->docView->pointerTarget(c->scrollView, at(QPoint(205, 205)));
        QVERIFY(t.onCanvas && !t.onText);
        text->setEditing(true);
        t = c->docView->pointerTarget(c->scrollView, at(QPoint(205, 205)));
        QVERIFY(t.onText && !t.onCanvas);
        c->docView->mouseMoved(c->scrollView, at(QPoint(205, 205)), textAt);
        QVERIFY(!c->hoverPoint && c->commentPoint);

        t = c->docView->pointerTarget(c->scrollView, at(QPoint(600, 500)));
        QVERIFY(t.onCanvas && !t.onText);
        c->docView->mouseMoved(c->scrollView, at(QPoint(600, 500)), QPointF(1, 1));
        QVERIFY(c->hoverPoint && !c->commentPoint);

        const QPoint overSidebar = c->commands->mapTo(window, QPoint(20, 20));
        t = c->docView->pointerTarget(c->scrollView, overSidebar);
        QVERIFY(!t.onCanvas && !t.onText);
    }
};

QUILLET_TEST_MAIN(TestDocumentView)
#include "tst_documentview.moc"
