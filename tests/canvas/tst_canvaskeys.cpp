#include "CanvasFixture.h"

#include "TestEnv.h"

#include "document/ItemKind.h"
#include "platform/fake/FakeScheduler.h"

using Keys = QList<QPair<int, QString>>;

namespace {
bool press(CanvasController *c, int key, Qt::KeyboardModifiers mods = {}, const QString &text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    return c->keyDown(&e);
}

Item arrow(QPointF tail, QPointF head, int size = 2)
{
    return Item::arrowFrom(tail, head, 0, size);
}
} // namespace

// The canvas's keys, its undo and redo, and its zoom commands.
class TestCanvasKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        c->endEditing(); // the new shot's untouched comment goes
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    void tools_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<int>("armed"); // -1: none
        using K = Keys;
        QTest::newRow("r twice") << K{{Qt::Key_R, "r"}, {Qt::Key_R, "r"}} << -1;
        QTest::newRow("r then b") << K{{Qt::Key_R, "r"}, {Qt::Key_B, "b"}} << int(Tool::redaction);
        QTest::newRow("R with Caps Lock") << K{{Qt::Key_R, "R"}} << int(Tool::box);
        QTest::newRow("t then a") << K{{Qt::Key_T, "t"}, {Qt::Key_A, "a"}} << -1;
    }
    void tools()
    {
        QFETCH(Keys, keys);
        QFETCH(int, armed);
        for (const auto &k : keys)
            QVERIFY(press(c, k.first, {}, k.second));
        QCOMPARE(c->armed ? int(*c->armed) : -1, armed);
        // Shift+R arms the box as r does.
        c->armed.reset();
        QVERIFY(press(c, Qt::Key_R, Qt::ShiftModifier, "R"));
        QCOMPARE(c->armed, std::optional(Tool::box));
    }

    void unhandled()
    {
        QVERIFY(!press(c, Qt::Key_7, {}, "7"));
        QVERIFY(!press(c, Qt::Key_0, {}, "0"));
        QVERIFY(!press(c, Qt::Key_Z, Qt::ControlModifier | Qt::MetaModifier, "z"));
    }

    void colourAndSize()
    {
        // A colour key recolours the selection in one undo step.
        const Item a = arrow(QPointF(200, 200), QPointF(300, 300));
        const Item box = Item::withRect(ItemKind::box, QRectF(10, 10, 50, 50), 0, 2);
        c->markup.items = QList<Item>{a, box};
        c->selection = {a.id, box.id};
        QVERIFY(press(c, Qt::Key_4, {}, "4"));
        QCOMPARE(c->color, 3);
        QCOMPARE(c->markup.item(a.id)->color, 3);
        QCOMPARE(c->markup.item(box.id)->color, 3);
        QCOMPARE(c->history.past.size(), 1);
        QCOMPARE(Preferences::shared().intValue(QStringLiteral("style.color")), std::optional<qint64>(3));
        c->size = 0;
        Preferences::shared().remove(QStringLiteral("style.size"));
        QVERIFY(press(c, Qt::Key_BracketLeft, {}, "["));
        QCOMPARE(c->size, 0);
        QCOMPARE(Preferences::shared().intValue(QStringLiteral("style.size")), std::optional<qint64>(0));
    }

    // Larger on an arrow at 0 and a comment at 2 makes them 1 and 3; a text of width 200 at
    // size 2 stepped down is 160 wide.
    void sizeSteps()
    {
        const Item a = arrow(QPointF(200, 200), QPointF(300, 300), 0);
        Item note = Item::noteAt(QPointF(200, 200), TextSide::left, 200, "Menlo-Bold", 0, 2, a.id);
        c->markup.items = QList<Item>{a, note};
        c->selection = {a.id, note.id};
        c->stepSize(1);
        QCOMPARE(c->markup.item(a.id)->size, 1);
        QCOMPARE(c->markup.item(note.id)->size, 3);
        QCOMPARE(c->markup.item(note.id)->width, 280.0);
        c->selection = {note.id};
        c->stepSize(-1);
        c->stepSize(-1);
        QCOMPARE(c->markup.item(note.id)->width, 160.0);
        QCOMPARE(c->history.past.size(), 3);
    }

    // Escape disarms, then deselects, then closes the canvas.
    void escape()
    {
        c->armed = Tool::box;
        QVERIFY(press(c, Qt::Key_Escape));
        QVERIFY(!c->armed);
        c->selectedShot = c->markup.shots.first().id;
        QVERIFY(press(c, Qt::Key_Escape));
        QVERIFY(!c->selectedShot);
        QVERIFY(!f->host->calls.contains(QStringLiteral("end reactivate")));
        QVERIFY(press(c, Qt::Key_Escape));
        QCOMPARE(f->host->calls.last(), QStringLiteral("end reactivate"));
    }

    // Up goes to the rail even with items selected; Shift+Up nudges by 10 when the rail is hidden.
    void arrows()
    {
        const Item a = arrow(QPointF(200, 200), QPointF(300, 300));
        c->markup.items = QList<Item>{a};
        c->selection = {a.id};
        QVERIFY(press(c, Qt::Key_Up));
        QCOMPARE(c->markup.item(a.id)->tail, QPointF(200, 200));
        QVERIFY(press(c, Qt::Key_Up, Qt::ShiftModifier));
        QCOMPARE(c->markup.item(a.id)->tail, QPointF(200, 190));
        QVERIFY(press(c, Qt::Key_Left));
        QCOMPARE(c->markup.item(a.id)->tail, QPointF(199, 190));
        QCOMPARE(c->history.past.size(), 2);
    }

    void flipDuplicateSelectAll()
    {
        const Item older = arrow(QPointF(0, 0), QPointF(50, 50));
        const Item newer = arrow(QPointF(200, 200), QPointF(300, 300));
        const Item box = Item::withRect(ItemKind::box, QRectF(10, 10, 50, 50), 0, 2);
        c->markup.items = QList<Item>{older, newer, box};
        c->selection = {box.id};
        c->flipArrow();
        QCOMPARE(c->markup.item(newer.id)->head, QPointF(200, 200));
        QCOMPARE(c->markup.item(older.id)->head, QPointF(50, 50));

        c->duplicateSelection();
        QCOMPARE(c->selection.size(), 1);
        const Item copy = *c->markup.item(*c->selection.cbegin());
        QVERIFY(copy.id != box.id);
        QCOMPARE(copy.rect, QRectF(26, 26, 50, 50));

        QKeyEvent all(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QString(QChar(1)));
        QVERIFY(c->keyDown(&all));
        QCOMPARE(c->selection.size(), 4);
    }

    void deleteSelection()
    {
        const Item a = arrow(QPointF(200, 200), QPointF(300, 300));
        c->markup.items = QList<Item>{a};
        c->selection = {a.id};
        QVERIFY(press(c, Qt::Key_Backspace));
        QVERIFY(c->markup.items.isEmpty());
        QVERIFY(c->selection.isEmpty());
        // The last shot is never removed.
        c->selectedShot = c->markup.shots.first().id;
        QVERIFY(press(c, Qt::Key_Delete));
        QCOMPARE(c->markup.shots.size(), 1);
    }

    void undoRedo()
    {
        clock.advance(5); // the first page picture is done
        // An empty history: nothing, and no beep.
        c->undo();
        QCOMPARE(c->beepsForTest, 0);
        // An unchanged recording keeps the clock but still asks for a thumbnail in 0.4 s.
        c->restored = CanvasController::Restored{{}, {}, 0};
        c->recordUndo(c->markup);
        QCOMPARE(c->clock, 0);
        QVERIFY(c->stamps.isEmpty());
        QVERIFY(c->restored);
        QCOMPARE(*c->thumbnailDue, clock.now() + 0.4);

        const Markup start = c->markup;
        const Item a = arrow(QPointF(200, 200), QPointF(300, 300));
        Markup before = c->markup;
        c->markup.items.append(a);
        c->recordUndo(before);
        QCOMPARE(c->clock, 1);
        QCOMPARE(c->stamps, QList<int>{1});
        QVERIFY(!c->restored);
        c->selection = {a.id};
        QKeyEvent undo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
        QVERIFY(c->keyDown(&undo));
        QCOMPARE(c->markup, start);
        QVERIFY(c->selection.isEmpty());
        QVERIFY(c->stamps.isEmpty());
        QKeyEvent redo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, QString(QChar(26)));
        QVERIFY(c->keyDown(&redo));
        QCOMPARE(c->markup.items.size(), 1);
        QCOMPARE(c->stamps, QList<int>{2});
    }

    // A removal newer than the last edit is undone before it; an older one after.
    void undoInterleavesRemovals()
    {
        CanvasController::Page other;
        other.markup = Markup::single(QRectF(0, 0, 10, 10), QSizeF(10, 10), 1);
        Markup before = c->markup;
        c->markup.items.append(arrow(QPointF(1, 1), QPointF(90, 90)));
        c->recordUndo(before); // clock 1
        c->removed.append(CanvasController::Removal{{{other, 1}}, {}, ++c->clock}); // clock 2
        before = c->markup;
        c->markup.items.append(arrow(QPointF(5, 5), QPointF(80, 90)));
        c->recordUndo(before); // clock 3
        c->undo();
        QCOMPARE(c->markup.items.size(), 1);
        QCOMPARE(c->pages.size(), 1);
        c->undo();
        QCOMPARE(c->pages.size(), 2);
        QVERIFY(c->removed.isEmpty());
        // The restored page shows; the page left keeps its edit.
        QCOMPARE(c->currentPage, 1);
        QCOMPARE(c->markup, other.markup);
        QCOMPARE(c->pages[0].markup.items.size(), 1);
    }

    void zoom()
    {
        // Steps out by 0.8 from 1 reach the least magnification and stop there.
        c->scrollView->setView(1, QPointF());
        for (int i = 0; i < 10; ++i)
            QVERIFY(press(c, Qt::Key_Minus, Qt::ControlModifier, "-"));
        QVERIFY(qAbs(c->scrollView->magnification() - std::pow(0.8, 10)) < 1e-9);
        for (int i = 0; i < 5; ++i)
            QVERIFY(press(c, Qt::Key_Minus, Qt::ControlModifier, "-"));
        QCOMPARE(c->scrollView->magnification(), 0.05);

        // Actual size keeps the shots' centre where it is on screen.
        c->scrollView->setView(3, QPointF(50, 80));
        const QPointF centre = c->markup.shotsBounds().center();
        const QPointF before = c->scrollView->viewPoint(centre);
        QVERIFY(press(c, Qt::Key_1, Qt::ControlModifier, "1"));
        QCOMPARE(c->scrollView->magnification(), 1.0);
        const QPointF after = c->scrollView->viewPoint(centre);
        QVERIFY(qAbs(after.x() - before.x()) <= 1 && qAbs(after.y() - before.y()) <= 1);

        // Fit: a tiny shot stops at 8.
        c->markup.shots[0].rect = QRectF(100, 100, 10, 8);
        QVERIFY(press(c, Qt::Key_0, Qt::ControlModifier, "0"));
        QCOMPARE(c->scrollView->magnification(), 8.0);
        // An arrow sticking out to the left is taken in.
        c->markup.shots[0].rect = QRectF(100, 100, 600, 400);
        c->markup.items = QList<Item>{arrow(QPointF(-300, 150), QPointF(200, 250))};
        c->zoomToFit();
        QVERIFY(c->scrollView->visibleRect().contains(QPointF(-300, 150)));
    }
};

QUILLET_TEST_MAIN(TestCanvasKeys)
#include "tst_canvaskeys.moc"
