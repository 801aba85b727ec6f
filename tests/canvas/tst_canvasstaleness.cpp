#include "CanvasFixture.h"

#include "TestEnv.h"

#include "document/ItemKind.h"
#include "platform/fake/FakeScheduler.h"

// What the toolbar shows after each change (the edited or selected item's style, undo and redo),
// and when the page picture is made again after edits.
class TestCanvasStaleness : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    Toolbar::Shown shown() const { return c->toolbar->shown().value_or(Toolbar::Shown{}); }

    // An edit that changes the document, shown by a refresh (which marks the picture stale).
    void edit()
    {
        c->markup.items.append(Item::withRect(ItemKind::box, QRectF(10, 10, 30, 30), 0, 2));
        c->refresh(false);
    }

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        c->endEditing(); // the new shot's untouched comment goes
        c->history = {};
        c->stamps.clear();
        QTRY_VERIFY(c->samplersReady());
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    // The style shown: the edited comment's, else the one selected item's (a comment selected
    // with its arrow counts as the arrow; the font stays the canvas's unless the item is a
    // text), else the canvas's own.
    void toolbarStyle_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("color");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("itemFont");
        QTest::newRow("edited comment") << "edited" << 4 << 3 << true;
        QTest::newRow("arrow with its comment") << "arrow and comment" << 1 << 0 << false;
        QTest::newRow("a box") << "box" << 5 << 1 << false;
        QTest::newRow("two arrows") << "two arrows" << 2 << 2 << false;
        QTest::newRow("nothing") << "nothing" << 2 << 2 << false;
    }
    void toolbarStyle()
    {
        QFETCH(QString, kind);
        QFETCH(int, color);
        QFETCH(int, size);
        QFETCH(bool, itemFont);
        c->color = 2;
        c->size = 2;
        const QString canvasFont = c->font;
        const QString noteFont = QStringLiteral("DejaVu Serif");
        const Item arrow = Item::arrowFrom(QPointF(150, 150), QPointF(300, 250), 1, 0);
        const Item other = Item::arrowFrom(QPointF(150, 300), QPointF(300, 350), 3, 3);
        const Item box = Item::withRect(ItemKind::box, QRectF(120, 120, 60, 60), 5, 1);
        const Item linked = Item::noteAt(QPointF(150, 150), TextSide::left, 200, noteFont, 4, 3, arrow.id);
        Item note = Item::noteAt(QPointF(400, 200), TextSide::right, 200, noteFont, 4, 3);
        note.string = QStringLiteral("note");
        c->markup.items = QList<Item>{arrow, other, box, linked, note};
        c->refresh(false);
        if (kind == QLatin1String("edited"))
            c->editText(note.id, QPointF(), true);
        else if (kind == QLatin1String("arrow and comment"))
            c->selection = {arrow.id, linked.id};
        else if (kind == QLatin1String("box"))
            c->selection = {box.id};
        else if (kind == QLatin1String("two arrows"))
            c->selection = {arrow.id, other.id};
        c->updateToolbar();
        const Toolbar::Shown s = shown();
        QCOMPARE(s.color, color);
        QCOMPARE(s.size, size);
        QCOMPARE(s.font, itemFont ? noteFont : canvasFont);
        // Undo runs while a text is edited, even with an empty history.
        QCOMPARE(s.canUndo, kind == QLatin1String("edited"));
        QVERIFY(!s.canRedo);
    }

    // A removal can be undone with an empty document history; once undone, redone.
    void undoAndRedoOfARemoval()
    {
        c->addPictures({Importer::Picture{QImage(40, 30, QImage::Format_RGB32), 1, std::nullopt}}, false);
        c->history = {};
        QVERIFY(c->removePages({PageRail::Row::ofPage(1)}));
        QVERIFY(shown().canUndo);
        QVERIFY(!shown().canRedo);
        c->undo();
        QVERIFY(shown().canRedo);
        QCOMPARE(c->pages.size(), 2);
    }

    // After a picture, the next one follows an edit no sooner than 0.1 s after it (0.2 s during
    // a gesture) and no sooner than 0.02 s after the edit; one scheduled picture takes in any
    // number of edits; a refresh that changes nothing schedules nothing.
    void pictureAfterEdits()
    {
        c->updateThumbnailNow();
        const double pictureAt = clock.now();
        QCOMPARE(c->picturedAt, pictureAt);
        c->refresh(false);
        QVERIFY(!c->thumbnailPending());

        clock.advance(0.03);
        edit();
        QVERIFY(c->thumbnailPending());
        QVERIFY(qAbs(*c->thumbnailDue - (pictureAt + 0.1)) < 1e-9); // 70 ms after the edit
        clock.advance(0.07);
        QVERIFY(!c->thumbnailPending());
        QVERIFY(qAbs(c->picturedAt - (pictureAt + 0.1)) < 1e-9);
        QCOMPARE(c->pictured, std::optional(c->markup));
        QVERIFY(!c->pictureStale);

        // Edits within 20 ms, a second after the last picture: one picture, 0.02 s after the first.
        clock.advance(1);
        const double first = clock.now();
        edit();
        QVERIFY(qAbs(*c->thumbnailDue - (first + 0.02)) < 1e-9);
        clock.advance(0.01);
        edit();
        QVERIFY(qAbs(*c->thumbnailDue - (first + 0.02)) < 1e-9);
        clock.advance(0.01);
        QVERIFY(!c->thumbnailPending());
        QVERIFY(qAbs(c->picturedAt - (first + 0.02)) < 1e-9);
        QCOMPARE(c->pictured, std::optional(c->markup));
        clock.advance(1);
        QVERIFY(qAbs(c->picturedAt - (first + 0.02)) < 1e-9);

        // During a gesture the wait is 0.2 s.
        c->drag.kind = CanvasController::DragKind::move;
        const double start = clock.now();
        c->picturedAt = start - 0.05;
        edit();
        QVERIFY(qAbs(*c->thumbnailDue - (start + 0.15)) < 1e-9);
        c->drag = {};
    }
};

QUILLET_TEST_MAIN(TestCanvasStaleness)
#include "tst_canvasstaleness.moc"
