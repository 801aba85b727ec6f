#pragma once
#include "Item.h"
#include "ItemList.h"
#include "Shot.h"

#include <QList>
#include <QSet>
#include <QUuid>

#include <functional>
#include <optional>

// The document of one canvas page: the pictures placed on the plane, the marks drawn over them
// and the base length every mark's size derives from.
//
// A plain value: copies share their lists (and every item) until one of them changes, so copying
// a document for the undo history is cheap and an edit copies only what it changes. Lookups by id take the
// first match in list order. Every changing item operation ends by re-attaching comments to
// their arrows (pinNotes).
struct Markup {
    QList<Shot> shots; // drawing order: later on top
    double unit = 1; // base length of marks in canvas points
    ItemList items; // drawing order: later on top

    Markup() = default;
    Markup(const QList<Shot> &shots, double unit, const ItemList &items)
        : shots(shots), unit(unit), items(items)
    {
    }
    // A document with exactly one new shot at origin (0, 0).
    static Markup single(const QRectF &rect, QSizeF imageSize, double unit,
                         const ItemList &items = {});

    friend bool operator==(const Markup &a, const Markup &b);

    // --- Reading shots
    // The first shot's rect; the zero rectangle without shots. Setting it without shots does nothing.
    QRectF shotRect() const;
    void setShotRect(const QRectF &rect);
    // The first shot's picture size; (0, 0) without shots.
    QSizeF shotImageSize() const;
    // The union of all shots' rects; the null rectangle without shots.
    QRectF shotsBounds() const;
    QList<QRectF> shotRects() const;
    std::optional<Shot> shot(const QUuid &id) const;
    std::optional<qsizetype> shotIndex(const QUuid &id) const;
    // The top-most shot whose rect contains the point (right and bottom edges excluded).
    std::optional<Shot> shotAt(QPointF point) const;

    struct ShotPiece {
        Shot shot;
        QRectF rect; // the part of the item's rect that lies on the shot
    };
    // For every shot whose rect meets the item's rect in an area of positive size, in order.
    QList<ShotPiece> shotPieces(const Item &item) const;
    // The union of the shot pieces; the null rectangle when there are none.
    QRectF visibleRect(const Item &item) const;

    // --- Changing shots
    // Where the top-left corner of a new shot's rect of that size goes: beside the last shot
    // while the row stays short and the place is free, else below everything.
    QPointF placeForShot(double width, double height, double gap) const;
    // Places a crop (rect, in picture coordinates) of a picture of that size with the rule above
    // at a whole-point offset, appends the new shot and returns it.
    Shot addShot(QSizeF imageSize, const QRectF &rect, double gap);
    // Moves the shot and what lies on it, then pins notes. Unknown id: nothing.
    void moveShot(const QUuid &id, double dx, double dy);
    // Removes every shot with that id; refuses when the document has fewer than two shots.
    void removeShot(const QUuid &id);

    // --- Reading items
    std::optional<Item> item(const QUuid &id) const;
    std::optional<qsizetype> itemIndex(const QUuid &id) const;
    // The arrow's comment: the first text item whose arrowID is that id.
    std::optional<Item> note(const QUuid &arrowId) const;
    // The set widened by one step of links: the arrow of a chosen comment (when it exists) and
    // the comment of a chosen arrow.
    QSet<QUuid> withLinkedItems(const QSet<QUuid> &ids) const;

    // --- Changing items
    // Moves the chosen items; a comment moved without its arrow drags the arrow's tail along.
    void moveItems(const QSet<QUuid> &ids, double dx, double dy);
    // Appends offset copies with new ids (a copied comment keeps its link only when its arrow
    // is copied too) and returns the new ids.
    QSet<QUuid> duplicateItems(const QSet<QUuid> &ids, double dx, double dy);
    // Applies change to every item of withLinkedItems(ids), in list order.
    void updateItems(const QSet<QUuid> &ids, const std::function<void(Item &)> &change);
    // Removes the chosen items and the comments of chosen arrows.
    void removeItems(const QSet<QUuid> &ids);
    // Swaps the arrow's ends and toggles flipped, then pins notes. Not an arrow: nothing at all.
    void reverseArrow(const QUuid &id);
    // Puts every comment on its arrow's tail, on the side away from the head; a comment whose
    // arrow is gone becomes free text where it is.
    void pinNotes();
};
