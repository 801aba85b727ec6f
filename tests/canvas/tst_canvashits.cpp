#include "CanvasFixture.h"

#include "TestEnv.h"

#include "canvas/CanvasChrome.h"
#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"
#include "document/ItemKind.h"
#include "platform/fake/FakeScheduler.h"

// What lies under the pointer on the canvas: grips, marks, comments and their controls, and the
// presses that act on them.
class TestCanvasHits : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    Item add(const Item &item)
    {
        c->markup.items.append(item);
        c->refresh(false);
        return item;
    }
    // An arrow with its comment, as a finished arrow drag leaves them.
    std::pair<Item, Item> arrowWithComment(QPointF tail, QPointF head)
    {
        const Item arrow = Item::arrowFrom(tail, head, 0, 2);
        Item note = Item::noteAt(tail, TextSide::forArrow(tail, head), 200, QString(), 0, 2, arrow.id);
        note.string = QStringLiteral("a comment");
        c->markup.items.append(arrow);
        c->markup.items.append(note);
        c->markup.pinNotes();
        c->refresh(false);
        // Each comment's text where its item puts it, whatever the text view does itself.
        TextItemView *view = c->texts.value(note.id);
        if (view && view->pos().isNull())
            view->setPos(c->markup.item(note.id)->anchor);
        return {arrow, note};
    }
    QRectF shot() const { return c->markup.shotRect(); }

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        QVERIFY(c);
        c->endEditing(); // the new shot's untouched comment goes
        c->scrollView->zoom(1, QPointF());
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    void gripHandles_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QList<int>>("handles");
        QTest::newRow("27.9 wide") << QSizeF(27.9, 200) << QList<int>{};
        QTest::newRow("28 x 200") << QSizeF(28, 200) << QList<int>{0, 2, 4, 6, 3, 7};
        QTest::newRow("119.9 square") << QSizeF(119.9, 119.9) << QList<int>{0, 2, 4, 6};
        QTest::newRow("120 square") << QSizeF(120, 120) << QList<int>{0, 2, 4, 6, 1, 5, 3, 7};
    }
    void gripHandles()
    {
        QFETCH(QSizeF, size);
        QFETCH(QList<int>, handles);
        QCOMPARE(CanvasController::gripHandles(QRectF(QPointF(10, 10), size)), handles);
    }

    // What a press starts, in order of precedence: Space pans; a grip of the selected item; the
    // shot edge band (two shots, no tool); the armed tool; an item; Ctrl a box, Alt a redaction,
    // both a box; Shift the marquee; else a pending click.
    void pressPriority_data()
    {
        using K = CanvasController::DragKind;
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("shape");
        const int none = -1, box = int(ItemKind::box), redaction = int(ItemKind::redaction);
        QTest::newRow("space over a grip") << "space" << 0 << int(K::pan) << none;
        QTest::newRow("item grip over the item") << "selected" << 0 << int(K::resize) << none;
        QTest::newRow("arrow end") << "arrow" << 0 << int(K::arrowEnd) << none;
        QTest::newRow("edge band over an item") << "edge" << 0 << int(K::moveShot) << none;
        QTest::newRow("armed tool over the edge band") << "edge armed" << 0 << int(K::shape) << box;
        QTest::newRow("armed tool over an item") << "item armed" << 0 << int(K::shape) << box;
        QTest::newRow("an item over Ctrl") << "item" << int(Qt::ControlModifier) << int(K::move) << none;
        QTest::newRow("Ctrl") << "" << int(Qt::ControlModifier) << int(K::shape) << box;
        QTest::newRow("Alt") << "" << int(Qt::AltModifier) << int(K::shape) << redaction;
        QTest::newRow("Ctrl Alt") << "" << int(Qt::ControlModifier | Qt::AltModifier) << int(K::shape) << box;
        QTest::newRow("Shift") << "" << int(Qt::ShiftModifier) << int(K::marquee) << none;
        QTest::newRow("plain") << "" << 0 << int(K::pending) << none;
    }
    void pressPriority()
    {
        QFETCH(QString, setup);
        QFETCH(int, mods);
        QFETCH(int, kind);
        QFETCH(int, shape);
        const QRectF s = shot();
        QPointF p = s.center();
        if (setup.contains(QLatin1String("edge"))) {
            Shot second = c->markup.shots.first();
            second.id = QUuid::createUuid();
            second.moveBy(0, 600);
            c->markup.shots.append(second);
            p = QPointF(s.center().x() + 50, s.top() + 2);
            add(Item::arrowFrom(p - QPointF(40, 0), p + QPointF(40, 0), 0, 2));
        }
        if (setup.contains(QLatin1String("item")) || setup == QLatin1String("selected")) {
            const Item box = add(Item::withRect(ItemKind::box, QRectF(s.center(), QSizeF(80, 60)), 0, 2));
            p = box.rect.topLeft() + QPointF(30, 0);
            if (setup == QLatin1String("selected")) {
                c->selection = {box.id};
                p = box.rect.topLeft();
            }
            QCOMPARE(c->itemAt(p), box.id);
        }
        if (setup == QLatin1String("arrow")) {
            const Item arrow = add(Item::arrowFrom(s.center(), s.center() + QPointF(100, 40), 0, 2));
            c->selection = {arrow.id};
            p = arrow.head;
        }
        if (setup.contains(QLatin1String("armed")))
            c->armed = Tool::box;
        if (setup == QLatin1String("space")) {
            c->spaceHeld = c->isPanning = true;
            p = s.topLeft();
        }
        c->refresh(false);
        c->mouseDown(Qt::KeyboardModifiers(mods), 1, p);
        QCOMPARE(int(c->drag.kind), kind);
        if (shape >= 0)
            QCOMPARE(int(ItemKind::Value(c->drag.shape)), shape);
        c->mouseUp(Qt::KeyboardModifiers(mods), p);
        QVERIFY(c->dragIsNone());
    }

    // A Shift-drag on empty canvas adds what its band touches, arrows with their comments, to
    // the selection it started with.
    void marqueeAddsToTheSelection()
    {
        const QPointF m = shot().center();
        const Item kept = add(Item::withRect(ItemKind::box, QRectF(m + QPointF(-250, -150), QSizeF(30, 30)), 0, 2));
        const auto [arrow, note] = arrowWithComment(m + QPointF(60, 60), m + QPointF(20, 20));
        const Item outside = add(Item::withRect(ItemKind::box, QRectF(m + QPointF(150, -150), QSizeF(30, 30)), 0, 2));
        c->selection = {kept.id};
        const QPointF from = m - QPointF(10, 10);
        c->mouseDown(Qt::ShiftModifier, 1, from);
        c->mouseDragged(Qt::ShiftModifier, m + QPointF(30, 30));
        QVERIFY(c->chrome->marquee());
        c->mouseUp(Qt::ShiftModifier, m + QPointF(30, 30));
        QCOMPARE(c->selection, (QSet<QUuid>{kept.id, arrow.id, note.id}));
        QVERIFY(!c->chrome->marquee());
        QVERIFY(!c->selection.contains(outside.id));
    }

    // At equal distance the selected item's handle beats a crop handle, and of two shots the
    // later one's crop handle wins.
    void gripTies()
    {
        const QRectF s = shot();
        const Item box = add(Item::withRect(ItemKind::box, QRectF(s.topLeft(), QSizeF(100, 100)), 0, 2));
        c->selection = {box.id};
        const QPointF corner = s.topLeft();
        auto grip = c->gripAt(c->toHost(corner), corner);
        QVERIFY(grip);
        QCOMPARE(grip->target, CanvasController::Grip::Target(CanvasController::Grip::ItemEnd{box.id, 0}));

        c->selection.clear();
        Shot second = c->markup.shots.first();
        second.id = QUuid::createUuid();
        second.rect = QRectF(s.topLeft() - QPointF(200, 200), QSizeF(200, 200));
        c->markup.shots.append(second);
        c->refresh(false);
        grip = c->gripAt(c->toHost(corner), corner);
        QVERIFY(grip);
        QCOMPARE(grip->target, CanvasController::Grip::Target(CanvasController::Grip::Crop{second.id, 4}));
    }

    // Within its circle (radius + 4) a crop handle is taken over an arrow; in the outer part of its
    // reach the arrow under the pointer wins.
    void cropHandleGivesWayToAnItem_data()
    {
        QTest::addColumn<double>("distance");
        QTest::addColumn<bool>("taken");
        QTest::newRow("20 pt off") << 20.0 << false;
        QTest::newRow("10 pt off") << 10.0 << true;
    }
    void cropHandleGivesWayToAnItem()
    {
        QFETCH(double, distance);
        QFETCH(bool, taken);
        const QPointF corner = shot().topLeft();
        const QPointF p = corner + QPointF(distance, distance) / std::sqrt(2.0);
        add(Item::arrowFrom(p - QPointF(40, 0), p + QPointF(40, 0), 0, 2));
        QVERIFY(c->itemAt(p));
        const auto grip = c->gripAt(c->toHost(p), p);
        QCOMPARE(bool(grip), taken);
        // With no item there, the outer reach takes it too.
        c->markup.items.clear();
        c->refresh(false);
        QVERIFY(c->gripAt(c->toHost(p), p));
    }

    // An arrow is hit within 6 screen points of its outline at every zoom; a redaction only inside.
    void markHits_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("0.5") << 0.5;
        QTest::newRow("1") << 1.0;
        QTest::newRow("4") << 4.0;
    }
    void markHits()
    {
        QFETCH(double, zoom);
        c->scrollView->zoom(zoom, QPointF(300, 300));
        const QPointF m = shot().center();
        const Item arrow = add(Item::arrowFrom(m - QPointF(100, 0), m + QPointF(100, 0), 0, 2));
        // The shaft's lower edge, 50 points from the tail.
        const QPainterPath &path = *c->shapes.at(arrow.id)->hitPath;
        const double x = m.x() - 50;
        double edge = m.y();
        while (path.contains(QPointF(x, edge + 0.01)))
            edge += 0.01;
        QCOMPARE(c->itemAt(QPointF(x, edge + 5.5 / zoom)), arrow.id);
        QCOMPARE(c->itemAt(QPointF(x, edge + 6.5 / zoom)), std::nullopt);

        const Item redaction = add(Item::withRect(ItemKind::redaction, QRectF(m + QPointF(0, 100), QSizeF(80, 60)), 0, 2));
        QCOMPARE(c->itemAt(m + QPointF(40, 130)), redaction.id);
        QCOMPARE(c->itemAt(m + QPointF(-2 / zoom, 130)), std::nullopt);
    }

    // A comment is hit before an arrow that covers it, whatever their order.
    void commentBeforeCoveringArrow()
    {
        const QPointF m = shot().center();
        const auto [arrow, note] = arrowWithComment(m, m + QPointF(0, 150));
        const QRectF text = CanvasController::textRectOf(c->texts.value(note.id));
        const QPointF p = text.center();
        add(Item::arrowFrom(p - QPointF(60, 0), p + QPointF(60, 0), 0, 3));
        QCOMPARE(c->itemAt(p), note.id);
    }

    // Shift-click on an arrow with a comment selects or deselects both; with one of them
    // selected, both become selected.
    void shiftClickTogglesLinked()
    {
        const QPointF m = shot().center();
        const auto [arrow, note] = arrowWithComment(m, m + QPointF(150, 0));
        const QPointF onArrow = m + QPointF(100, 0);
        QCOMPARE(c->itemAt(onArrow), arrow.id);
        const QSet<QUuid> both{arrow.id, note.id};
        c->mouseDown(Qt::ShiftModifier, 1, onArrow);
        c->mouseUp(Qt::ShiftModifier, onArrow);
        QCOMPARE(c->selection, both);
        c->mouseDown(Qt::ShiftModifier, 1, onArrow);
        c->mouseUp(Qt::ShiftModifier, onArrow);
        QVERIFY(c->selection.isEmpty());
        c->selection = {note.id};
        c->mouseDown(Qt::ShiftModifier, 1, onArrow);
        c->mouseUp(Qt::ShiftModifier, onArrow);
        QCOMPARE(c->selection, both);
        QVERIFY(!c->history.canUndo());
    }

    // Alt-drag on a selected item moves copies and leaves the originals; an Alt press without
    // movement copies nothing.
    void altDragMovesCopies()
    {
        const QPointF m = shot().center();
        const Item box = add(Item::withRect(ItemKind::box, QRectF(m, QSizeF(80, 60)), 0, 2));
        c->selection = {box.id};
        const QPointF on = m + QPointF(0, 30);
        QCOMPARE(c->itemAt(on), box.id);
        c->mouseDown(Qt::AltModifier, 1, on);
        c->mouseDragged(Qt::AltModifier, on + QPointF(3, 0));
        c->mouseUp(Qt::AltModifier, on + QPointF(3, 0));
        QCOMPARE(c->markup.items.size(), 1);
        QVERIFY(!c->history.canUndo());

        c->mouseDown(Qt::AltModifier, 1, on);
        c->mouseDragged(Qt::AltModifier, on + QPointF(20, 10));
        c->mouseDragged(Qt::AltModifier, on + QPointF(40, 10));
        c->mouseUp(Qt::AltModifier, on + QPointF(40, 10));
        QCOMPARE(c->markup.items.size(), 2);
        QCOMPARE(c->markup.item(box.id)->rect, box.rect);
        QCOMPARE(c->selection.size(), 1);
        const QUuid copy = *c->selection.cbegin();
        QVERIFY(copy != box.id);
        QCOMPARE(c->markup.item(copy)->rect, box.rect.translated(40, 10));
        c->undo();
        QCOMPARE(c->markup.items.size(), 1);
    }

    // Dragging a selected box's corner grip resizes it, to no less than 4 screen points.
    void resizeByGrip()
    {
        c->scrollView->zoom(2, QPointF(300, 300));
        const QPointF m = shot().center();
        const Item box = add(Item::withRect(ItemKind::box, QRectF(m, QSizeF(40, 30)), 0, 2));
        c->selection = {box.id};
        c->refresh(false);
        const QPointF corner = box.rect.bottomRight();
        c->mouseDown({}, 1, corner);
        c->mouseDragged({}, corner + QPointF(10, 5));
        QCOMPARE(c->markup.item(box.id)->rect, QRectF(m, QSizeF(50, 35)));
        c->mouseDragged({}, corner - QPointF(100, 100));
        QCOMPARE(c->markup.item(box.id)->rect, QRectF(m, QSizeF(2, 2)));
        c->mouseUp({}, corner - QPointF(100, 100));
        QVERIFY(c->history.canUndo());
    }

    // The controls come up for the comment under the pointer, stay within 40 pt of it and its
    // buttons, and move to another comment once the pointer enters its box grown by 4; never
    // with a tool armed or Space held.
    void commentControlsFollowThePointer()
    {
        const QPointF m = shot().center();
        const auto [a1, n1] = arrowWithComment(m - QPointF(100, 0), m - QPointF(200, 0));
        const auto [a2, n2] = arrowWithComment(m + QPointF(100, 100), m + QPointF(200, 100));
        const auto l1 = c->commentControlsLayout(n1.id);
        const auto l2 = c->commentControlsLayout(n2.id);
        QVERIFY(l1 && l2);
        const auto hoverAt = [&](QPointF host) {
            c->pointerMoved(c->fromHost(host), std::nullopt, true);
        };
        hoverAt(l1->box.center());
        QCOMPARE(c->controlsText, n1.id);
        hoverAt(l1->layout.trash.bottomLeft() + QPointF(-30, 30));
        QCOMPARE(c->controlsText, n1.id);
        hoverAt(l1->layout.trash.bottomLeft() + QPointF(-45, 45));
        QCOMPARE(c->controlsText, std::nullopt);
        // The controls come up only from the comment's box; from there the pointer reaches them.
        hoverAt(l1->layout.grip.center());
        QCOMPARE(c->controlsText, std::nullopt);
        hoverAt(l1->box.center());
        hoverAt(l1->layout.grip.center());
        QCOMPARE(c->controlHot, CommentControls::Part::grip);
        QCOMPARE(c->cursor, CursorKind::openHand);
        hoverAt(l1->layout.trash.center());
        QCOMPARE(c->controlHot, CommentControls::Part::trash);
        QCOMPARE(c->cursor, CursorKind::pointingHand);
        QVERIFY(c->chrome->trashRect());
        hoverAt(l2->box.topLeft() - QPointF(3, 3));
        QCOMPARE(c->controlsText, n2.id);

        c->armed = Tool::box;
        hoverAt(l2->box.center());
        QCOMPARE(c->controlsText, std::nullopt);
        c->armed.reset();
        c->spaceHeld = true;
        hoverAt(l2->box.center());
        QCOMPARE(c->controlsText, std::nullopt);
        QVERIFY(!c->chrome->gripRect());
    }

    // A press on the bin removes the comment and its arrow; one undo brings both back. The
    // second click of a double click does nothing more.
    void binRemovesCommentAndArrow()
    {
        const QPointF m = shot().center();
        const auto [arrow, note] = arrowWithComment(m, m + QPointF(150, 50));
        const Markup before = c->markup;
        const auto layout = c->commentControlsLayout(note.id);
        QVERIFY(layout);
        const QPointF bin = c->fromHost(layout->layout.trash.center());
        c->pointerMoved(c->fromHost(layout->box.center()), std::nullopt, true);
        c->pointerMoved(bin, std::nullopt, true);
        QCOMPARE(c->controlHot, CommentControls::Part::trash);
        c->mouseDown({}, 1, bin);
        c->mouseUp({}, bin);
        QVERIFY(c->markup.items.isEmpty());
        c->mouseDown({}, 2, bin);
        c->mouseUp({}, bin);
        QVERIFY(c->markup.items.isEmpty());
        QCOMPARE(c->selection, QSet<QUuid>{});
        c->undo();
        QCOMPARE(c->markup, before);

        // While its comment is being typed, one undo brings both back as before the typing.
        c->editText(note.id, QPointF(), true);
        QVERIFY(c->editing);
        c->editing->insertPlainText(QStringLiteral(" and more"));
        c->textChanged();
        const auto typing = c->commentControlsLayout(note.id);
        QVERIFY(typing);
        const QPointF typingBin = c->fromHost(typing->layout.trash.center());
        c->pointerMoved(c->fromHost(typing->box.center()), std::nullopt, true);
        c->pointerMoved(typingBin, std::nullopt, true);
        QCOMPARE(c->controlHot, CommentControls::Part::trash);
        clock.advance(1);
        c->mouseDown({}, 1, typingBin);
        c->mouseUp({}, typingBin);
        QVERIFY(c->markup.items.isEmpty());
        QVERIFY(!c->editing);
        c->undo();
        QCOMPARE(c->markup, before);
    }

    // Dragging a comment by its grip moves only the comment, one undo step.
    void gripMovesComment()
    {
        const QPointF m = shot().center();
        const auto [arrow, note] = arrowWithComment(m, m + QPointF(150, 50));
        const auto layout = c->commentControlsLayout(note.id);
        const QPointF grip = c->fromHost(layout->layout.grip.center());
        c->pointerMoved(c->fromHost(layout->box.center()), std::nullopt, true);
        c->pointerMoved(grip, std::nullopt, true);
        c->mouseDown({}, 1, grip);
        QCOMPARE(c->chrome->trashRect(), std::nullopt);
        c->mouseDragged({}, grip + QPointF(30, 40));
        c->mouseUp({}, grip + QPointF(30, 40));
        QCOMPARE(c->markup.item(arrow.id)->head, arrow.head);
        QVERIFY(c->history.canUndo());
        c->undo();
        QCOMPARE(c->markup.item(note.id)->anchor, c->markup.note(arrow.id)->anchor);
    }

    // Two shots: the 12-point band around a shot's border picks it up and moves it in whole
    // points; with one shot the band is nothing special.
    void shotEdgeBand()
    {
        const QRectF s = shot();
        const QPointF onBorder(s.left() + 50, s.top() + 3);
        c->mouseDown({}, 1, onBorder);
        QVERIFY(c->drag.kind != CanvasController::DragKind::moveShot);
        c->mouseUp({}, onBorder);
        c->markup.items.clear();

        Shot second = c->markup.shots.first();
        second.id = QUuid::createUuid();
        second.moveBy(0, 600);
        c->markup.shots.append(second);
        c->refresh(false);
        c->mouseDown({}, 1, onBorder);
        QCOMPARE(c->selectedShot, c->markup.shots.first().id);
        c->mouseDragged({}, onBorder + QPointF(10.4, 20.7));
        c->mouseDragged({}, onBorder + QPointF(30.4, 20.2));
        c->mouseUp({}, onBorder + QPointF(30.4, 20.2));
        QCOMPARE(c->markup.shots.first().rect, s.translated(30, 20));
        QVERIFY(c->history.canUndo());
    }
};

QUILLET_TEST_MAIN(TestCanvasHits)
#include "tst_canvashits.moc"
