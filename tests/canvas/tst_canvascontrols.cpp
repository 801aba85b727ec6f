// The canvas's controls as a user meets them: each toolbar button does what its key does, the
// keyboard comes back to the canvas however a comment ends, Ctrl+wheel zooms about the pointer,
// and the toolbar and hint line keep every control inside the canvas area in narrow windows.
#include "CanvasFixture.h"

#include "TestEnv.h"

#include "canvas/CommandSidebar.h"
#include "canvas/HoverTips.h"
#include "canvas/TextItemView.h"
#include "canvas/Toolbar.h"
#include "platform/fake/FakeScheduler.h"

#include <QLabel>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QScrollBar>
#include <QToolButton>

namespace {
QAbstractButton *button(CanvasController *c, const QString &name)
{
    for (QWidget *w : c->toolbar->controls())
        if (w->objectName() == name)
            return qobject_cast<QAbstractButton *>(w);
    return nullptr;
}

// What a button or key may change: sizes and items, the undo stacks and the zoom.
QString state(const CanvasController *c)
{
    return QStringLiteral("size %1 past %2 future %3 zoom %4\n%5")
        .arg(c->size)
        .arg(c->history.past.size())
        .arg(c->history.future.size())
        .arg(c->scrollView->magnification(), 0, 'f', 4)
        .arg(c->stateDump());
}

void wheel(QWidget *viewport, QPointF at, QPoint angle, Qt::KeyboardModifiers mods)
{
    QWheelEvent e(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &e);
}
} // namespace

class TestCanvasControls : public QObject
{
    Q_OBJECT

    FakeScheduler clock;

    // A canvas with two arrows drawn and the second undone, the first selected, zoomed to 3.
    std::unique_ptr<CanvasFixture> prepared(CanvasController *&c)
    {
        auto f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        c->endEditing();
        for (const QPointF &tail : {QPointF(120, 150), QPointF(200, 300)}) {
            const Markup before = c->markup;
            c->markup.items.append(Item::arrowFrom(tail, tail + QPointF(80, 40), 0, 2));
            c->recordUndo(before);
        }
        c->undo();
        c->size = 2; // whatever an earlier case left in the style preference
        c->selection = {c->markup.items.first().id};
        c->refresh(false);
        c->scrollView->zoom(3, QPointF(300, 300));
        return f;
    }

private slots:
    void init() { CanvasController::scheduler() = &clock; }
    void cleanup() { CanvasController::scheduler() = &Scheduler::system(); }

    void buttonsDoWhatTheirKeysDo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::newRow("minus: [") << "minus" << int(Qt::Key_BracketLeft) << 0;
        QTest::newRow("plus: ]") << "plus" << int(Qt::Key_BracketRight) << 0;
        QTest::newRow("undo: Ctrl+Z") << "undo" << int(Qt::Key_Z) << int(Qt::ControlModifier);
        QTest::newRow("redo: Ctrl+Shift+Z") << "redo" << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("zoom: Ctrl+0") << "zoom" << int(Qt::Key_0) << int(Qt::ControlModifier);
    }
    void buttonsDoWhatTheirKeysDo()
    {
        QFETCH(QString, name);
        QFETCH(int, key);
        QFETCH(int, mods);
        CanvasController *c = nullptr;
        auto clicked = prepared(c);
        const QString before = state(c);
        QAbstractButton *b = button(c, name);
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
        const QString byButton = state(c);
        QVERIFY2(byButton != before, qPrintable(name));
        QCOMPARE(QApplication::focusWidget(), c->scrollView);
        clicked.reset();

        auto typed = prepared(c);
        QCOMPARE(state(c), before);
        QTest::keyClick(c->scrollView, Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(byButton, state(c));
    }

    // Every hover-enabled widget of the canvas window, the sidebar's rows among them, and the
    // toolbar's own controls: hovering them is harmless, and only the toolbar's show tips.
    void hoverAnywhere()
    {
        CanvasFixture f(QSize(1440, 875));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        QVERIFY(c->commands->isVisible());
        QList<QWidget *> hovered;
        for (QWidget *w : f.view->findChildren<QWidget *>())
            if (w->testAttribute(Qt::WA_Hover) && w->isVisible())
                hovered << w;
        QVERIFY(hovered.contains(c->commands->copyRow()));
        QVERIFY(hovered.contains(c->commands->sendRow()));
        for (QWidget *w : std::as_const(hovered)) {
            const QPointF mid = QRectF(w->rect()).center();
            QHoverEvent enter(QEvent::HoverEnter, mid, w->mapToGlobal(mid), QPointF());
            QApplication::sendEvent(w, &enter);
            QHoverEvent move(QEvent::HoverMove, mid + QPointF(1, 0), w->mapToGlobal(mid), mid);
            QApplication::sendEvent(w, &move);
            const bool onToolbar = c->toolbar->isAncestorOf(w);
            QCOMPARE(c->toolbar->tips()->tipped() == w, onToolbar);
        }
    }

    // However a comment ends, the next Return, Escape and arrow key reach the canvas, and the
    // arrows never scroll the view.
    void keysAfterAComment_data()
    {
        QTest::addColumn<QString>("end");
        for (const char *end : {"Escape", "Return", "Tab", "click elsewhere"})
            QTest::newRow(end) << QString::fromLatin1(end);
    }
    void keysAfterAComment()
    {
        QFETCH(QString, end);
        CanvasFixture f(QSize(1440, 875));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        QVERIFY(c->editing);
        const QUuid id = c->editing->itemID();
        // An arrow to click on: a click on the empty canvas would open a new text.
        const Item arrow = Item::arrowFrom(QPointF(400, 300), QPointF(600, 300), 0, 2);
        c->markup.items.append(arrow);
        c->refresh(false);
        QTest::keyClicks(c->scrollView, QStringLiteral("abc"));
        if (end == QLatin1String("Escape"))
            QTest::keyClick(c->scrollView, Qt::Key_Escape);
        else if (end == QLatin1String("Return"))
            QTest::keyClick(c->scrollView, Qt::Key_Return);
        else if (end == QLatin1String("Tab"))
            QTest::keyClick(c->scrollView, Qt::Key_Tab);
        else
            QTest::mouseClick(c->scrollView->viewport(), Qt::LeftButton, {},
                              c->scrollView->viewPoint(QPointF(500, 300)).toPoint());
        QVERIFY(!c->editing);
        QCOMPARE(c->markup.item(id)->string, QStringLiteral("abc"));
        // The window's focus going away and coming back does not hand the keys to the text.
        c->toolbar->window()->setFocus();
        c->focusDocument();

        // Return: the copy key (railFocused drops whenever the canvas sees a key other than
        // Delete, Escape and Up/Down).
        c->railFocused = true;
        QTest::keyClick(c->scrollView, Qt::Key_Return);
        QVERIFY(!c->railFocused);
        // Escape disarms a tool.
        QTest::keyClick(c->scrollView, Qt::Key_R);
        QCOMPARE(c->armed, std::optional(Tool::box));
        QTest::keyClick(c->scrollView, Qt::Key_Escape);
        QCOMPARE(c->armed, std::nullopt);
        // An arrow nudges the selected text by one point; the view stays.
        c->selection = {id};
        const QPointF anchor = c->markup.item(id)->anchor;
        const QPointF origin = c->scrollView->origin();
        const int h = c->scrollView->horizontalScrollBar()->value();
        QTest::keyClick(c->scrollView, Qt::Key_Left);
        QCOMPARE(c->markup.item(id)->anchor, anchor - QPointF(1, 0));
        QCOMPARE(c->scrollView->origin(), origin);
        QCOMPARE(c->scrollView->horizontalScrollBar()->value(), h);
        QCOMPARE(c->markup.item(id)->string, QStringLiteral("abc"));
    }

    // Ctrl+wheel zooms by the zoom step per notch (a touchpad's part-notches by part of it),
    // within 0.05 to 8, and the document point under the pointer stays within a pixel.
    void ctrlWheelZoomsAboutThePointer_data()
    {
        QTest::addColumn<QPoint>("angle");
        QTest::addColumn<int>("turns");
        QTest::addColumn<double>("expected"); // the magnification reached from 1
        // At 0.05 the whole document fits in the view, which then shows it from its corner.
        QTest::addColumn<bool>("keepsPoint");
        QTest::newRow("one notch in") << QPoint(0, 120) << 1 << 1.25 << true;
        QTest::newRow("one notch out") << QPoint(0, -120) << 1 << 0.8 << true;
        QTest::newRow("touchpad quarter notches") << QPoint(0, 30) << 4 << 1.25 << true;
        QTest::newRow("far in stops at 8") << QPoint(0, 120) << 40 << 8.0 << true;
        QTest::newRow("far out stops at 0.05") << QPoint(0, -120) << 40 << 0.05 << false;
    }
    void ctrlWheelZoomsAboutThePointer()
    {
        QFETCH(QPoint, angle);
        QFETCH(int, turns);
        QFETCH(double, expected);
        QFETCH(bool, keepsPoint);
        CanvasFixture f(QSize(1440, 875));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        c->endEditing();
        c->scrollView->setView(1, c->scrollView->origin());
        const QPointF at(437.5, 311.25);
        const QPointF under = c->scrollView->documentPoint(at);
        for (int i = 0; i < turns; ++i)
            wheel(c->scrollView->viewport(), at, angle, Qt::ControlModifier);
        const double m = c->scrollView->magnification();
        QVERIFY2(qAbs(m - expected) < 1e-9, qPrintable(QString::number(m)));
        const QPointF moved = (c->scrollView->documentPoint(at) - under) * m;
        if (keepsPoint)
            QVERIFY2(qAbs(moved.x()) <= 1 && qAbs(moved.y()) <= 1,
                     qPrintable(QStringLiteral("%1,%2").arg(moved.x()).arg(moved.y())));
        QCOMPARE(c->toolbar->shown()->zoom, Toolbar::zoomText(m));
        if (!keepsPoint)
            return;
        // Without Ctrl the wheel still pans.
        const QPointF origin = c->scrollView->origin();
        wheel(c->scrollView->viewport(), at, QPoint(0, -120), Qt::NoModifier);
        QCOMPARE(c->scrollView->magnification(), m);
        QVERIFY(c->scrollView->origin().y() > origin.y());
    }

    // A touchpad pinch, where the platform reports one, zooms about the fingers.
    void pinchZoomsAboutTheFingers()
    {
        CanvasFixture f(QSize(1440, 875));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        c->endEditing();
        c->scrollView->setView(1, c->scrollView->origin());
        QWidget *viewport = c->scrollView->viewport();
        const QPointF at(520.5, 260.25);
        const QPointF under = c->scrollView->documentPoint(at);
        QNativeGestureEvent pinch(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, at, at,
                                  viewport->mapToGlobal(at), 0.5, QPointF());
        QApplication::sendEvent(viewport, &pinch);
        QCOMPARE(c->scrollView->magnification(), 1.5);
        const QPointF moved = (c->scrollView->documentPoint(at) - under) * 1.5;
        QVERIFY(qAbs(moved.x()) <= 1 && qAbs(moved.y()) <= 1);
    }

    // With two pages the rail shows: at every size every control of the toolbar lies inside
    // the canvas area (off the rail and the sidebar) and inside the window, and so does the hint.
    void narrowWindowsKeepEveryControl_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("rows");
        QTest::newRow("1820 x 960") << QSize(1820, 960) << 1;
        QTest::newRow("900 x 600") << QSize(900, 600) << 2;
        QTest::newRow("640 x 400") << QSize(640, 400) << 3;
    }
    void narrowWindowsKeepEveryControl()
    {
        QFETCH(QSize, size);
        QFETCH(int, rows);
        CanvasFixture f(size);
        CanvasController *c = f.open(QRectF(40, 40, 300, 200));
        c->addShot(patternImage(200, 150), 1, QRectF(60, 60, 200, 150));
        QTRY_VERIFY(!c->rail->isHidden());
        // The hint leaves out what does not fit, entry by entry, but never the copy key that
        // stands in for the hidden sidebar.
        QVERIFY2(c->sidebarShown() ? c->hint->text().contains(QStringLiteral("Ctrl+↑↓: shots"))
                                   : c->hint->text().contains(QStringLiteral("Return: copy")),
                 qPrintable(c->hint->text()));
        const QRectF area = c->visibleArea();
        QVERIFY(area.left() >= c->rail->width());
        QCOMPARE(c->toolbar->rowCount(), rows);
        for (QWidget *w : c->toolbar->controls()) {
            const QRect r(w->mapTo(f.view.get(), QPoint()), w->size());
            QVERIFY2(area.contains(r) && w->isVisible(),
                     qPrintable(w->accessibleName() + QStringLiteral(" at %1,%2").arg(r.x()).arg(r.y())));
        }
        QVERIFY(area.contains(QRectF(c->hint->geometry())));
        const QByteArray shots = qgetenv("QUILLET_CANVAS_SHOTS");
        if (!shots.isEmpty()) {
            QTest::qWait(800); // the toolbar and the hint line fade in
            f.view->grab().save(QStringLiteral("%1/canvas-%2x%3.png")
                                    .arg(QString::fromLocal8Bit(shots)).arg(size.width()).arg(size.height()));
        }
    }
};

QUILLET_TEST_MAIN(TestCanvasControls)
#include "tst_canvascontrols.moc"
