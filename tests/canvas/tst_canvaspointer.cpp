#include "CanvasFixture.h"

#include "TestEnv.h"

#include "../history/PageMaker.h"

#include "canvas/Talk.h"
#include "document/ItemKind.h"
#include "platform/KeyTable.h"
#include "platform/fake/FakeScheduler.h"

namespace {
// A talk controller whose key is held or not as the test says.
struct FakeTalk : Talk
{
    bool held = false;
    bool isHolding() const override { return held; }
    void placeBadge() override {}
    void cancel() override {}
};
FakeTalk *fakeTalk = nullptr;

QList<Item> itemsOf(const CanvasController *c, ItemKind kind)
{
    QList<Item> out;
    for (const Item &item : c->markup.items) {
        if (item.kind == kind)
            out << item;
    }
    return out;
}
} // namespace

// Gestures on the canvas: arrows with their comments, boxes, redactions, crops, nudges, the pan.
class TestCanvasPointer : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    void dragFrom(QPointF a, QPointF b, Qt::KeyboardModifiers mods = {}, int steps = 4)
    {
        c->mouseDown(mods, 1, a);
        for (int i = 1; i <= steps; ++i)
            c->mouseDragged(mods, a + (b - a) * i / steps);
        c->mouseUp(mods, b);
    }
    QPointF middle() const { return c->markup.shotRect().center(); }

private slots:
    void initTestCase()
    {
        Talk::make = [](CanvasController &) {
            auto t = std::make_unique<FakeTalk>();
            fakeTalk = t.get();
            return std::unique_ptr<Talk>(std::move(t));
        };
    }
    void init()
    {
        fakeTalk = nullptr;
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

    // A drag on empty canvas draws an arrow in the current style with its comment at the tail,
    // on the side away from the head; arrow and comment are one gesture.
    void arrowDragPlacesComment_data()
    {
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<int>("side");
        QTest::newRow("right to left") << QPointF(-80, 10) << int(TextSide::right);
        QTest::newRow("left to right") << QPointF(80, -10) << int(TextSide::left);
        QTest::newRow("straight down") << QPointF(0, 80) << int(TextSide::above);
        QTest::newRow("straight up") << QPointF(0, -80) << int(TextSide::below);
        QTest::newRow("diagonal tie is horizontal") << QPointF(60, 60) << int(TextSide::left);
    }
    void arrowDragPlacesComment()
    {
        QFETCH(QPointF, delta);
        QFETCH(int, side);
        setPreference("canvas.autoDirection", false);
        c->color = 3;
        c->size = 1;
        const QPointF start = middle();
        dragFrom(start, start + delta);
        const auto arrows = itemsOf(c, ItemKind::arrow);
        QCOMPARE(arrows.size(), 1);
        QCOMPARE(arrows.first().tail, start);
        QCOMPARE(arrows.first().head, start + delta);
        QCOMPARE(arrows.first().color, 3);
        QCOMPARE(arrows.first().size, 1);
        const auto note = c->markup.note(arrows.first().id);
        QVERIFY(note);
        QCOMPARE(int(TextSide::Value(note->side)), side);
        QCOMPARE(note->color, 3);
        QCOMPARE(note->size, 1);
        QVERIFY(c->dragIsNone());
    }

    // The move threshold is 8 screen points; an arrow under 12 screen points vanishes at release
    // and leaves no undo step.
    void arrowThresholds_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("length"); // document points
        QTest::addColumn<bool>("madeWhileDragging");
        QTest::addColumn<bool>("kept");
        QTest::newRow("7 pt at 1x") << 1.0 << 7.0 << false << false;
        QTest::newRow("10 pt at 1x: made, then gone") << 1.0 << 10.0 << true << false;
        QTest::newRow("12 pt at 1x") << 1.0 << 12.0 << true << true;
        QTest::newRow("4 pt at 2x") << 2.0 << 4.0 << true << false;
        QTest::newRow("3.9 pt at 2x") << 2.0 << 3.9 << false << false;
        QTest::newRow("6 pt at 2x") << 2.0 << 6.0 << true << true;
    }
    void arrowThresholds()
    {
        QFETCH(double, zoom);
        QFETCH(double, length);
        QFETCH(bool, madeWhileDragging);
        QFETCH(bool, kept);
        setPreference("canvas.autoDirection", false);
        c->scrollView->zoom(zoom, QPointF(300, 300));
        const QPointF start = middle();
        c->mouseDown({}, 1, start);
        c->mouseDragged({}, start + QPointF(length, 0));
        QCOMPARE(itemsOf(c, ItemKind::arrow).size(), madeWhileDragging ? 1 : 0);
        c->mouseUp({}, start + QPointF(length, 0));
        QCOMPARE(itemsOf(c, ItemKind::arrow).size(), kept ? 1 : 0);
        if (madeWhileDragging && !kept) {
            QVERIFY(!c->history.canUndo());
            QCOMPARE(itemsOf(c, ItemKind::text).size(), 0);
        }
    }

    // A click that deselected nothing opens a comment at the click; one that deselected opens none.
    void clickPlacesComment()
    {
        const QPointF p = middle();
        c->mouseDown({}, 1, p);
        c->mouseUp({}, p);
        const auto texts = itemsOf(c, ItemKind::text);
        QCOMPARE(texts.size(), 1);
        QVERIFY(!texts.first().arrowID);
        QCOMPARE(int(TextSide::Value(texts.first().side)), int(TextSide::right));
        // What is typed there is one undo step, and undoing it takes the text away.
        QVERIFY(c->editing);
        c->editing->insertPlainText(QStringLiteral("typed"));
        c->endEditing();
        QCOMPARE(itemsOf(c, ItemKind::text).size(), 1);
        c->undo();
        QCOMPARE(itemsOf(c, ItemKind::text).size(), 0);

        c->markup.items.clear();
        const Item box = Item::withRect(ItemKind::box, QRectF(p + QPointF(150, 100), QSizeF(20, 20)), 0, 2);
        c->markup.items.append(box);
        c->selection = {box.id};
        c->mouseDown({}, 1, p);
        c->mouseUp({}, p);
        QCOMPARE(itemsOf(c, ItemKind::text).size(), 0);
        QVERIFY(c->selection.isEmpty());
    }

    // Ctrl draws a box, Alt a redaction, both a box; while the talk key (Right Ctrl) is held its
    // Ctrl draws nothing and the drag stays an arrow.
    void modifiersChooseTheMark_data()
    {
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("talking");
        QTest::addColumn<int>("kind");
        QTest::newRow("ctrl") << int(Qt::ControlModifier) << false << int(ItemKind::Value(ItemKind::box));
        QTest::newRow("alt") << int(Qt::AltModifier) << false << int(ItemKind::Value(ItemKind::redaction));
        QTest::newRow("ctrl+alt") << int(Qt::ControlModifier | Qt::AltModifier) << false << int(ItemKind::Value(ItemKind::box));
        QTest::newRow("ctrl while talking") << int(Qt::ControlModifier) << true << int(ItemKind::Value(ItemKind::arrow));
    }
    void modifiersChooseTheMark()
    {
        QFETCH(int, mods);
        QFETCH(bool, talking);
        QFETCH(int, kind);
        setPreference("talk.key", "rightCommand");
        setPreference("canvas.autoDirection", false);
        QVERIFY(c->talkController());
        fakeTalk->held = talking;
        const QPointF start = middle();
        dragFrom(start, start + QPointF(60, 40), Qt::KeyboardModifiers(mods));
        QCOMPARE(c->markup.items.first().kind, ItemKind(ItemKind::Value(kind)));
        if (ItemKind(ItemKind::Value(kind)) != ItemKind::arrow) {
            QCOMPARE(c->markup.items.size(), 1);
            QCOMPARE(c->markup.items.first().rect, QRectF(start, QSizeF(60, 40)));
            QCOMPARE(c->selection, QSet<QUuid>{c->markup.items.first().id});
            QVERIFY(c->history.canUndo());
        }
    }

    // An armed box tool draws a box; a drag too small to make one still disarms.
    void armedBoxTool()
    {
        const QPointF start = middle();
        c->armed = Tool::box;
        dragFrom(start, start + QPointF(5, 7));
        QVERIFY(c->markup.items.isEmpty());
        QVERIFY(!c->armed);
        QVERIFY(!c->history.canUndo());

        c->armed = Tool::box;
        dragFrom(start, start + QPointF(-30, 50), Qt::ShiftModifier);
        QCOMPARE(c->markup.items.size(), 1);
        QCOMPARE(c->markup.items.first().rect, QRectF(start.x() - 50, start.y(), 50, 50));
        QVERIFY(!c->armed);
    }

    // Pressing or releasing Shift mid-drag snaps or frees the arrow without a movement.
    void shiftMidDragSnapsAtOnce()
    {
        setPreference("canvas.autoDirection", false);
        const QPointF start = middle();
        c->mouseDown({}, 1, start);
        c->mouseDragged({}, start + QPointF(100, 8));
        c->flagsChanged(Qt::ShiftModifier);
        const Item snapped = itemsOf(c, ItemKind::arrow).first();
        QCOMPARE(snapped.head.y(), start.y());
        QVERIFY(qAbs(snapped.head.x() - start.x() - std::hypot(100, 8)) < 1e-9);
        c->flagsChanged({});
        QCOMPARE(itemsOf(c, ItemKind::arrow).first().head, start + QPointF(100, 8));
        c->mouseUp({}, start + QPointF(100, 8));
    }

    // Arrow keys move the selection in one undo step, or the last crop handle by whole pixels;
    // with nothing to move nothing is recorded.
    void nudge()
    {
        const QPointF p = middle();
        const Item a = Item::withRect(ItemKind::box, QRectF(p, QSizeF(40, 40)), 0, 2);
        const Item b = Item::arrowFrom(p, p + QPointF(50, 0), 0, 2);
        c->markup.items.append(a);
        c->markup.items.append(b);

        c->nudge(KeyCode::Right, true);
        QVERIFY(!c->history.canUndo());

        c->selection = {a.id, b.id};
        c->nudge(KeyCode::Right, true);
        QCOMPARE(c->markup.item(a.id)->rect.topLeft(), p + QPointF(10, 0));
        QCOMPARE(c->markup.item(b.id)->tail, p + QPointF(10, 0));
        QVERIFY(c->history.canUndo());
        c->undo();
        QCOMPARE(c->markup.item(a.id)->rect.topLeft(), p);
        QCOMPARE(c->markup.item(b.id)->tail, p);
        QVERIFY(!c->history.canUndo());
    }

    // After a crop drag on a 2x shot, Left moves that edge by one pixel (half a point); the crop
    // never grows past its picture, also when the least side on screen exceeds the picture.
    void cropNudgeByPixels()
    {
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 2, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        c->scrollView->zoom(1, QPointF());
        const Shot shot = c->markup.shots.first();
        // Drag the left middle handle 30 points inward: the crop starts there.
        const QPointF handle(shot.rect.left(), shot.rect.center().y());
        c->lastCropHandle.reset();
        dragFrom(handle, handle + QPointF(30.3, 0));
        QVERIFY(c->lastCropHandle);
        QCOMPARE(c->lastCropHandle->handle, 7);
        const QRectF cropped = c->markup.shots.first().rect;
        QCOMPARE(cropped.left(), shot.rect.left() + 30.5); // on the pixel grid of a 2x picture

        c->nudge(KeyCode::Left, false);
        QCOMPARE(c->markup.shots.first().rect.left(), cropped.left() - 0.5);
        c->nudge(KeyCode::Left, true);
        QCOMPARE(c->markup.shots.first().rect.left(), cropped.left() - 5.5);
        for (int i = 0; i < 30; ++i)
            c->nudge(KeyCode::Left, true);
        QCOMPARE(c->markup.shots.first().rect.left(), shot.frame().left());
    }

    void cropNeverLeavesASmallPicture()
    {
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 2, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 20, 20));
        c->scrollView->zoom(0.5, QPointF());
        // A picture of 20 x 20 points, shown whole.
        Shot &shot = c->markup.shots.first();
        shot.origin = QPointF(100, 100);
        shot.imageSize = QSizeF(20, 20);
        shot.rect = shot.frame();
        const QUuid id = shot.id;
        // Handle 4 (bottom-right) remembered: at 0.5x the least crop is 48 points, more than the
        // picture's 20.
        c->lastCropHandle = CanvasController::CropHandle{id, 4};
        c->nudge(KeyCode::Right, false);
        QCOMPARE(c->markup.shots.first().rect, c->markup.shots.first().frame());
    }

    // Space held: a press pans by the pointer's travel; auto-repeated releases keep the pan and
    // the real release ends it.
    void spacePan()
    {
        QPoint pointer(500, 500);
        auto &live = DocumentView::liveInput();
        const auto saved = live.pointer;
        live.pointer = [&pointer] { return pointer; };
        c->spaceHeld = c->isPanning = true;
        const QPointF origin = c->scrollView->origin();
        c->mouseDown({}, 1, middle());
        pointer += QPoint(40, 30);
        c->mouseDragged({}, middle());
        QCOMPARE(c->scrollView->origin(), origin - QPointF(40, 30));

        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Space, {}, QStringLiteral(" "), true);
        c->keyUp(&repeat);
        QVERIFY(c->spaceHeld);
        pointer += QPoint(10, 0);
        c->mouseDragged({}, middle());
        QCOMPARE(c->scrollView->origin(), origin - QPointF(50, 30));

        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, {}, QStringLiteral(" "));
        c->keyUp(&release);
        QVERIFY(!c->spaceHeld);
        QVERIFY(c->dragIsNone());
        QCOMPARE(c->cursor, CursorKind::crosshair);
        live.pointer = saved;
    }

    // Arrow keys on the rail: the neighbouring row becomes the current page, an earlier capture
    // opens as a page; at either end nothing moves.
    void stepRail()
    {
        QDir(Recents::folder()).removeRecursively();
        const PageMaker::Page old = PageMaker::page(QSize(80, 60));
        const auto recent = Recents::save(old.markup, old.images, PageMaker::picture(80, 60), std::nullopt,
                                          std::nullopt, std::nullopt, QDateTime(QDate(2020, 1, 2), QTime(9, 0)), true);
        QVERIFY(recent);
        c->addShot(PageMaker::picture(800, 600), 2, QRectF(0, 0, 400, 300));
        c->endEditing();
        c->refreshRail(false);
        QCOMPARE(c->recentShownIDs(), QStringList{*recent});
        QCOMPARE(c->currentPage, 0);

        QVERIFY(!c->stepRail(RailGrid::Move::up));
        QCOMPARE(c->currentPage, 0);
        QVERIFY(c->stepRail(RailGrid::Move::right));
        QCOMPARE(c->currentPage, 1);
        QVERIFY(c->stepRail(RailGrid::Move::down));
        QCOMPARE(c->pages.size(), 3);
        QCOMPARE(c->pageID(c->currentPage), *recent);
        QVERIFY(!c->stepRail(RailGrid::Move::down));
        QVERIFY(c->stepRail(RailGrid::Move::left));
        QCOMPARE(c->currentPage, 1);
        Recents::queue().sync([] {});
    }

    // Words heard while an arrow is being drawn wait for the release and go into its comment.
    void wordsHeardMidDragGoIntoTheComment()
    {
        setPreference("canvas.autoDirection", false);
        const QPointF start = middle();
        c->talkStarted();
        c->mouseDown({}, 1, start);
        c->mouseDragged({}, start + QPointF(60, 40));
        c->talkHeard(QStringLiteral("look here"));
        QCOMPARE(itemsOf(c, ItemKind::text).size(), 0);
        c->mouseUp({}, start + QPointF(60, 40));
        const auto texts = itemsOf(c, ItemKind::text);
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().arrowID);
        QVERIFY2(texts.first().string.contains(QStringLiteral("look here"), Qt::CaseInsensitive),
                 qPrintable(texts.first().string));
    }
};

QUILLET_TEST_MAIN(TestCanvasPointer)
#include "tst_canvaspointer.moc"
