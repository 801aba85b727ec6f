#include "document/Markup.h"
#include "document/Palette.h"
#include "document/Plane.h"

#include "TestEnv.h"

namespace {

Markup oneShot(const QRectF &rect = QRectF(0, 0, 400, 300))
{
    return Markup::single(rect, rect.size(), 1.0);
}

Shot shotAt(const QRectF &rect)
{
    return Shot(QUuid::createUuid(), rect.topLeft(), rect.size(), rect);
}

// An arrow from tail to head with its comment right after it.
std::pair<Item, Item> arrowWithNote(QPointF tail, QPointF head)
{
    const Item arrow = Item::arrowFrom(tail, head, 0, 2);
    const Item note = Item::noteAt(tail, TextSide::left, 200, "Helvetica", 0, 2, arrow.id);
    return {arrow, note};
}

} // namespace

class TestMarkup : public QObject
{
    Q_OBJECT
private slots:
    void constructorsAndTables()
    {
        const Item arrow = Item::arrowFrom({1, 2}, {3, 4}, 3, 1);
        QCOMPARE(arrow.kind, ItemKind::arrow);
        QCOMPARE(arrow.side, TextSide::right);
        QVERIFY(!arrow.arrowID);
        QVERIFY(Plane::same(arrow.rect, QRectF()));
        QVERIFY(!arrow.id.isNull());
        QVERIFY(Item::arrowFrom({1, 2}, {3, 4}, 3, 1).id != arrow.id);
        QCOMPARE(arrow.length(), std::hypot(2.0, 2.0));

        const Item note = Item::noteAt({5, 6}, TextSide::below, 120, "Menlo-Bold", 9, -1);
        QCOMPARE(note.kind, ItemKind::text);
        QCOMPARE(note.color, 9); // constructors do not clamp
        QCOMPARE(note.size, -1);
        QVERIFY(note.string.isEmpty());

        const Item box = Item::withRect(ItemKind::redaction, QRectF(1, 1, 5, 5), 0, 0);
        QCOMPARE(box.kind, ItemKind::redaction);

        QCOMPARE(Palette::colors.size(), size_t(Item::colorCount));
        QCOMPARE(Palette::colors[3], (RGB{0.04, 0.52, 1.0}));
        QCOMPARE(QString(Item::sizeNames[3]), QStringLiteral("XL"));
        QCOMPARE(Item::defaultSize, 2);

        const Markup m = Markup::single(QRectF(50, 60, 10, 10), QSizeF(100, 80), 2.5);
        QCOMPARE(m.shots.size(), 1);
        QVERIFY(Plane::same(m.shots[0].origin, QPointF(0, 0)));
        QCOMPARE(m.unit, 2.5);
    }

    void scaledClampsSize_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("scaled");
        QTest::newRow("S") << 0 << 6.0;
        QTest::newRow("L") << 2 << 10.0;
        QTest::newRow("XL") << 3 << 14.0;
        QTest::newRow("7 uses XL") << 7 << 14.0;
        QTest::newRow("-3 uses S") << -3 << 6.0;
    }
    void scaledClampsSize()
    {
        QFETCH(int, size);
        QFETCH(double, scaled);
        QCOMPARE(Item(QUuid::createUuid(), ItemKind::box, 0, size).scaled(10), scaled);
    }

    void equalityIsExactAndCoversEveryField()
    {
        const Item a = Item::noteAt({1, 1}, TextSide::left, 10, "F", 0, 0);
        QCOMPARE(a, a);
        QList<std::function<void(Item &)>> changes = {
            [](Item &i) { i.id = QUuid::createUuid(); },
            [](Item &i) { i.kind = ItemKind::box; },
            [](Item &i) { i.color = 1; },
            [](Item &i) { i.size = 3; },
            [](Item &i) { i.tail.rx() += 1e-12; },
            [](Item &i) { i.head.ry() += 1; },
            [](Item &i) { i.flipped = true; },
            [](Item &i) { i.string = "x"; },
            [](Item &i) { i.anchor.rx() += 1e-9; },
            [](Item &i) { i.side = TextSide::aboveLeading; },
            [](Item &i) { i.width = 11; },
            [](Item &i) { i.font = "G"; },
            [](Item &i) { i.arrowID = QUuid::createUuid(); },
            [](Item &i) { i.rect.setWidth(1e-12); },
        };
        for (const auto &change : changes) {
            Item b = a;
            change(b);
            QVERIFY(!(a == b));
        }

        Markup m = oneShot();
        Markup n = m;
        QCOMPARE(m, n);
        n.shots[0].rect.translate(0, 1e-10);
        QVERIFY(!(m == n));
        n = m;
        n.unit = 2;
        QVERIFY(!(m == n));
    }

    void copiesShareUntilChanged()
    {
        Markup m = oneShot();
        for (int i = 0; i < 10; ++i)
            m.items.append(Item::arrowFrom({0, 0}, {10, 10}, 0, 2));
        const Markup copy = m;
        QVERIFY(copy.items.sharesWith(m.items));
        m.updateItems({m.items.at(3).id}, [](Item &i) { i.color = 4; });
        QVERIFY(!copy.items.sharesWith(m.items));
        QCOMPARE(copy.shots.constData(), m.shots.constData()); // the shot list was not copied
        QCOMPARE(copy.items[3].color, 0);
        QCOMPARE(m.items[3].color, 4);
        QCOMPARE(&copy.items[2], &std::as_const(m.items)[2]); // unchanged items stay shared
        QVERIFY(&copy.items[3] != &std::as_const(m.items)[3]);
        QVERIFY(!(copy == m));
        m.items[3].color = 0;
        QCOMPARE(copy, m);
    }

    void readingShots()
    {
        Markup empty;
        QVERIFY(Plane::same(empty.shotRect(), QRectF()));
        QVERIFY(Plane::same(empty.shotImageSize(), QSizeF(0, 0)));
        QVERIFY(Plane::isNull(empty.shotsBounds()));
        empty.setShotRect(QRectF(1, 2, 3, 4));
        QVERIFY(empty.shots.isEmpty());

        Markup m({shotAt({0, 0, 100, 100}), shotAt({50, 50, 100, 100})}, 1, {});
        QVERIFY(Plane::same(m.shotsBounds(), QRectF(0, 0, 150, 150)));
        QCOMPARE(m.shotAt({60, 60})->id, m.shots[1].id); // the later shot is on top
        QCOMPARE(m.shotAt({10, 10})->id, m.shots[0].id);
        QVERIFY(!m.shotAt({150, 60})); // right edge does not belong to the shot
        QVERIFY(!m.shotAt({60, 150}));
        QCOMPARE(m.shotIndex(m.shots[1].id), 1);
        QVERIFY(!m.shot(QUuid::createUuid()));
        m.setShotRect(QRectF(1, 2, 3, 4));
        QVERIFY(Plane::same(m.shotRects().first(), QRectF(1, 2, 3, 4)));
    }

    void shotPiecesOfARedaction()
    {
        const Markup m({shotAt({0, 0, 100, 100}), shotAt({200, 0, 100, 100})}, 1, {});
        const Item across = Item::withRect(ItemKind::redaction, QRectF(50, 10, 200, 20), 0, 2);
        const auto pieces = m.shotPieces(across);
        QCOMPARE(pieces.size(), 2);
        QVERIFY(Plane::same(pieces[0].rect, QRectF(50, 10, 50, 20)));
        QVERIFY(Plane::same(pieces[1].rect, QRectF(200, 10, 50, 20)));
        QVERIFY(Plane::same(m.visibleRect(across), QRectF(50, 10, 200, 20)));

        const Item touching = Item::withRect(ItemKind::box, QRectF(100, 10, 100, 20), 0, 2);
        QVERIFY(m.shotPieces(touching).isEmpty()); // meets only along edges
        QVERIFY(Plane::isNull(m.visibleRect(touching)));
    }

    void placeForShot_data()
    {
        QTest::addColumn<QList<QRectF>>("shots");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<double>("gap");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("no shots") << QList<QRectF>{} << QSizeF(10, 10) << 24.0 << QPointF(0, 0);
        QTest::newRow("beside the first")
            << QList<QRectF>{{0, 0, 400, 300}} << QSizeF(400, 300) << 24.0 << QPointF(424, 0);
        QTest::newRow("third starts a new row")
            << QList<QRectF>{{0, 0, 400, 300}, {424, 0, 400, 300}} << QSizeF(400, 300) << 24.0
            << QPointF(0, 324);
        QTest::newRow("too wide for the row")
            << QList<QRectF>{{0, 0, 100, 100}} << QSizeF(500, 100) << 20.0 << QPointF(0, 120);
        QTest::newRow("narrow one beside")
            << QList<QRectF>{{0, 0, 100, 100}} << QSizeF(90, 100) << 20.0 << QPointF(120, 0);
        // Beside the last shot (0, 200) would be (120, 200): another shot within half a gap of
        // that place sends the new one below everything, one just beyond does not.
        QTest::newRow("beside place taken, within half a gap")
            << QList<QRectF>{{0, 0, 100, 100}, {215, 200, 30, 30}, {0, 200, 100, 100}}
            << QSizeF(90, 100) << 20.0 << QPointF(0, 320);
        QTest::newRow("other shot just beyond half a gap")
            << QList<QRectF>{{0, 0, 100, 100}, {221, 200, 30, 30}, {0, 200, 100, 100}}
            << QSizeF(90, 100) << 20.0 << QPointF(120, 200);
        QTest::newRow("below the lowest shot")
            << QList<QRectF>{{0, 0, 100, 400}, {120, 0, 100, 100}} << QSizeF(100, 100) << 20.0
            << QPointF(0, 420);
    }
    void placeForShot()
    {
        QFETCH(QList<QRectF>, shots);
        QFETCH(QSizeF, size);
        QFETCH(double, gap);
        QFETCH(QPointF, expected);
        Markup m;
        for (const QRectF &r : shots)
            m.shots.append(shotAt(r));
        const QPointF place = m.placeForShot(size.width(), size.height(), gap);
        QVERIFY2(Plane::same(place, expected),
                 qPrintable(QStringLiteral("%1,%2").arg(place.x()).arg(place.y())));
    }

    void addShotRoundsTheOffset()
    {
        Markup m;
        const Shot s = m.addShot(QSizeF(300, 200), QRectF(10.4, 20.6, 100, 80), 24);
        QCOMPARE(m.shots.size(), 1);
        QCOMPARE(m.shots[0], s);
        QVERIFY(Plane::same(s.origin, QPointF(-10, -21)));
        QCOMPARE(s.rect.x(), 10.4 - 10);
        QCOMPARE(s.rect.y(), 20.6 - 21);
        QVERIFY(Plane::same(s.imageSize, QSizeF(300, 200)));
    }

    void moveShotTakesWhatLiesOnIt()
    {
        Markup m = oneShot(QRectF(0, 0, 100, 100));
        m.shots.append(shotAt({200, 0, 100, 100}));
        const auto [whole, wholeNote] = arrowWithNote({10, 10}, {50, 50});
        const auto [headOnly, headNote] = arrowWithNote({150, 50}, {50, 60});
        const Item tailOnly = Item::arrowFrom({20, 20}, {150, 20}, 0, 2);
        const Item boxIn = Item::withRect(ItemKind::box, QRectF(0, 0, 100, 100), 0, 2);
        const Item boxOut = Item::withRect(ItemKind::box, QRectF(90, 0, 20, 20), 0, 2);
        const Item freeText = Item::noteAt({99, 99}, TextSide::right, 100, "F", 0, 2);
        const Item otherText = Item::noteAt({250, 50}, TextSide::right, 100, "F", 0, 2);
        m.items = {whole, wholeNote, headOnly, headNote, tailOnly, boxIn, boxOut, freeText,
                   otherText};

        m.moveShot(m.shots[0].id, 5, 7);
        const QPointF d(5, 7);
        QVERIFY(Plane::same(m.shots[0].origin, d));
        QVERIFY(Plane::same(m.shots[0].rect, QRectF(5, 7, 100, 100)));
        QVERIFY(Plane::same(m.shots[1].rect, QRectF(200, 0, 100, 100)));
        QVERIFY(Plane::same(m.items[0].tail, whole.tail + d));
        QVERIFY(Plane::same(m.items[1].anchor, whole.tail + d)); // comment follows its arrow
        QVERIFY(Plane::same(m.items[2].tail, headOnly.tail)); // only the head moved
        QVERIFY(Plane::same(m.items[2].head, headOnly.head + d));
        QVERIFY(Plane::same(m.items[3].anchor, headOnly.tail)); // comment stays at the tail
        QCOMPARE(m.items[4], tailOnly);
        QVERIFY(Plane::same(m.items[5].rect, boxIn.rect.translated(d)));
        QCOMPARE(m.items[6], boxOut);
        QVERIFY(Plane::same(m.items[7].anchor, freeText.anchor + d));
        QCOMPARE(m.items[8], otherText);

        const Markup before = m;
        m.moveShot(QUuid::createUuid(), 5, 5);
        QCOMPARE(m, before);
    }

    void removeShotKeepsTheLastOne()
    {
        Markup m = oneShot();
        const Markup one = m;
        m.removeShot(m.shots[0].id);
        QCOMPARE(m, one);
        m.shots.append(shotAt({500, 0, 10, 10}));
        m.shots.append(shotAt({600, 0, 10, 10}));
        const QUuid middle = m.shots[1].id;
        m.removeShot(middle);
        QCOMPARE(m.shots.size(), 2);
        QCOMPARE(m.shots[0], one.shots[0]);
        QVERIFY(!m.shot(middle));
    }

    void lookupsAndLinks()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {50, 10});
        const Item orphan = Item::noteAt({0, 0}, TextSide::left, 10, "F", 0, 2, QUuid::createUuid());
        const Item box = Item::withRect(ItemKind::box, QRectF(0, 0, 5, 5), 0, 2);
        m.items = {box, arrow, note, orphan};
        QCOMPARE(m.itemIndex(arrow.id), 1);
        QCOMPARE(m.item(note.id)->id, note.id);
        QCOMPARE(m.note(arrow.id)->id, note.id);
        QVERIFY(!m.note(box.id));
        QCOMPARE(m.withLinkedItems({arrow.id}), (QSet<QUuid>{arrow.id, note.id}));
        QCOMPARE(m.withLinkedItems({note.id}), (QSet<QUuid>{arrow.id, note.id}));
        QCOMPARE(m.withLinkedItems({orphan.id}), QSet<QUuid>{orphan.id}); // its arrow is gone
        QCOMPARE(m.withLinkedItems({box.id}), QSet<QUuid>{box.id});
    }

    void movingACommentAloneStretchesItsArrow()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {100, 10});
        m.items = {arrow, note};
        m.moveItems({note.id}, 0, 50);
        QVERIFY(Plane::same(m.items[0].tail, QPointF(10, 60)));
        QVERIFY(Plane::same(m.items[0].head, QPointF(100, 10))); // still points at the same spot
        QVERIFY(Plane::same(m.items[1].anchor, QPointF(10, 60)));

        m.moveItems({arrow.id, note.id}, 1, 1); // both chosen: the tail moves once
        QVERIFY(Plane::same(m.items[0].tail, QPointF(11, 61)));
        QVERIFY(Plane::same(m.items[1].anchor, QPointF(11, 61)));
    }

    void duplicateItems()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {100, 10});
        m.items = {arrow, note};

        const QSet<QUuid> both = m.duplicateItems({arrow.id, note.id}, 16, 16);
        QCOMPARE(both.size(), 2);
        QCOMPARE(m.items.size(), 4);
        QVERIFY(both.contains(m.items[2].id) && both.contains(m.items[3].id));
        QCOMPARE(m.items[3].arrowID, m.items[2].id); // the copied comment follows the copy
        QVERIFY(Plane::same(m.items[2].tail, QPointF(26, 26)));
        QVERIFY(Plane::same(m.items[3].anchor, QPointF(26, 26)));

        const QSet<QUuid> alone = m.duplicateItems({note.id}, 0, 0);
        QCOMPARE(alone.size(), 1);
        QVERIFY(!m.items.last().arrowID); // a comment copied alone becomes free text
        QCOMPARE(m.items.last().string, note.string);
    }

    void updateItemsRestylesLinkedItems()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {100, 10});
        const Item box = Item::withRect(ItemKind::box, QRectF(0, 0, 5, 5), 0, 2);
        m.items = {arrow, note, box};
        m.updateItems({arrow.id}, [](Item &i) { i.color = 3; });
        QCOMPARE(m.items[0].color, 3);
        QCOMPARE(m.items[1].color, 3);
        QCOMPARE(m.items[2].color, 0);
    }

    void removeItems()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {100, 10});
        const auto [arrow2, note2] = arrowWithNote({10, 50}, {100, 50});
        m.items = {arrow, note, arrow2, note2};
        m.removeItems({arrow.id}); // takes its comment along
        QCOMPARE(m.items.toList(), (QList<Item>{arrow2, note2}));
        m.removeItems({note2.id}); // a comment leaves its arrow
        QCOMPARE(m.items.toList(), QList<Item>{arrow2});
    }

    void reverseArrow()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {100, 10});
        m.items = {arrow, note};
        m.reverseArrow(arrow.id);
        QVERIFY(Plane::same(m.items[0].tail, arrow.head));
        QVERIFY(Plane::same(m.items[0].head, arrow.tail));
        QVERIFY(m.items[0].flipped);
        QVERIFY(Plane::same(m.items[1].anchor, QPointF(100, 10)));
        QCOMPARE(m.items[1].side, TextSide::right);

        // Reversing a comment does nothing, not even re-pinning: a stale comment stays stale.
        m.items[1].anchor = QPointF(-5, -5);
        const Markup before = m;
        m.reverseArrow(note.id);
        QCOMPARE(m, before);
        m.reverseArrow(QUuid::createUuid());
        QCOMPARE(m, before);
    }

    void pinNotesSides_data()
    {
        QTest::addColumn<QPointF>("head");
        QTest::addColumn<int>("side");
        QTest::newRow("right-pointing") << QPointF(10, 3) << int(TextSide::left);
        QTest::newRow("left-pointing") << QPointF(-10, 3) << int(TextSide::right);
        QTest::newRow("downward") << QPointF(3, 10) << int(TextSide::above);
        QTest::newRow("upward") << QPointF(3, -10) << int(TextSide::below);
        QTest::newRow("45 degrees counts as horizontal") << QPointF(-5, 5) << int(TextSide::right);
        QTest::newRow("zero length") << QPointF(0, 0) << int(TextSide::left);
    }
    void pinNotesSides()
    {
        QFETCH(QPointF, head);
        QFETCH(int, side);
        QCOMPARE(int(TextSide::forArrow({0, 0}, head)), side);
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({100, 100}, QPointF(100, 100) + head);
        m.items = {arrow, note};
        m.items[1].anchor = QPointF(0, 0);
        m.pinNotes();
        QCOMPARE(int(m.items[1].side), side);
        QVERIFY(Plane::same(m.items[1].anchor, QPointF(100, 100)));
    }

    void aCommentWhoseArrowIsGoneBecomesFreeText()
    {
        Markup m = oneShot();
        const auto [arrow, note] = arrowWithNote({10, 10}, {100, 10});
        const Item box = Item::withRect(ItemKind::box, QRectF(0, 0, 5, 5), 0, 2);
        m.items = {arrow, note, box};
        m.items.removeFirst(); // deleted by other means
        m.moveItems({box.id}, 1, 1);
        QVERIFY(!m.items[0].arrowID);
        QVERIFY(Plane::same(m.items[0].anchor, note.anchor)); // stays where it is

        // With many comments (the table-driven path) the first item with the id is used.
        Markup many = oneShot();
        for (int i = 0; i < 100; ++i) {
            const auto [a, n] = arrowWithNote({double(i), 0}, {double(i), 50});
            many.items.append(a);
            many.items.append(n);
        }
        many.items.removeAt(40); // arrow 20
        many.pinNotes();
        QVERIFY(!many.items[40].arrowID);
        QCOMPARE(many.items[42].arrowID, many.items[41].id);
        QCOMPARE(many.items[42].side, TextSide::above);
    }
};

QUILLET_TEST_MAIN_CORE(TestMarkup)
#include "tst_markup.moc"
