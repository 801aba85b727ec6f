// The item operations of Markup: lookups, moving, duplicating, restyling, removing, reversing and
// keeping comments pinned to their arrows.
#include "Markup.h"

#include <QHash>

namespace {

bool anyChosen(const QList<Item> &items, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return false;
    return std::any_of(items.cbegin(), items.cend(),
                       [&](const Item &it) { return ids.contains(it.id); });
}

} // namespace

std::optional<Item> Markup::item(const QUuid &id) const
{
    const auto index = itemIndex(id);
    return index ? std::optional<Item>(items.at(*index)) : std::nullopt;
}

std::optional<qsizetype> Markup::itemIndex(const QUuid &id) const
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).id == id)
            return i;
    }
    return std::nullopt;
}

std::optional<Item> Markup::note(const QUuid &arrowId) const
{
    for (const Item &it : items) {
        if (it.kind == ItemKind::text && it.arrowID == arrowId)
            return it;
    }
    return std::nullopt;
}

QSet<QUuid> Markup::withLinkedItems(const QSet<QUuid> &ids) const
{
    QSet<QUuid> linked = ids;
    for (const Item &it : items) {
        if (!ids.contains(it.id))
            continue;
        if (it.isComment() && itemIndex(*it.arrowID))
            linked.insert(*it.arrowID);
        else if (it.kind == ItemKind::arrow) {
            if (const auto comment = note(it.id))
                linked.insert(comment->id);
        }
    }
    return linked;
}

void Markup::moveItems(const QSet<QUuid> &ids, double dx, double dy)
{
    if (anyChosen(items, ids)) {
        for (Item &it : items) {
            if (ids.contains(it.id))
                it.moveBy(dx, dy);
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            const Item &it = items.at(i);
            if (!it.isComment() || !ids.contains(it.id) || ids.contains(*it.arrowID))
                continue;
            if (const auto arrow = itemIndex(*it.arrowID))
                items[*arrow].tail += QPointF(dx, dy);
        }
    }
    pinNotes();
}

QSet<QUuid> Markup::duplicateItems(const QSet<QUuid> &ids, double dx, double dy)
{
    QList<Item> copies;
    QHash<QUuid, QUuid> newIds;
    for (const Item &it : items) {
        if (!ids.contains(it.id))
            continue;
        Item copy = it;
        copy.id = QUuid::createUuid();
        newIds.insert(it.id, copy.id);
        copies.append(copy);
    }
    QSet<QUuid> created;
    for (Item &copy : copies) {
        if (copy.arrowID) {
            const auto arrow = newIds.constFind(*copy.arrowID);
            copy.arrowID = arrow == newIds.cend() ? std::nullopt : std::optional<QUuid>(*arrow);
        }
        copy.moveBy(dx, dy);
        created.insert(copy.id);
    }
    items.append(copies);
    pinNotes();
    return created;
}

void Markup::updateItems(const QSet<QUuid> &ids, const std::function<void(Item &)> &change)
{
    const QSet<QUuid> linked = withLinkedItems(ids);
    if (anyChosen(items, linked)) {
        for (Item &it : items) {
            if (linked.contains(it.id))
                change(it);
        }
    }
    pinNotes();
}

void Markup::removeItems(const QSet<QUuid> &ids)
{
    if (anyChosen(items, ids)) {
        QSet<QUuid> arrows;
        for (const Item &it : items) {
            if (it.kind == ItemKind::arrow && ids.contains(it.id))
                arrows.insert(it.id);
        }
        items.removeIf([&](const Item &it) {
            return ids.contains(it.id)
                || (it.kind == ItemKind::text && it.arrowID && arrows.contains(*it.arrowID));
        });
    }
    pinNotes();
}

void Markup::reverseArrow(const QUuid &id)
{
    const auto index = itemIndex(id);
    if (!index || items.at(*index).kind != ItemKind::arrow)
        return;
    Item &arrow = items[*index];
    std::swap(arrow.tail, arrow.head);
    arrow.flipped = !arrow.flipped;
    pinNotes();
}

void Markup::pinNotes()
{
    QList<qsizetype> comments;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).isComment())
            comments.append(i);
    }
    if (comments.isEmpty())
        return;

    // With many comments, one table of first positions beats a search per comment.
    const bool useTable = comments.size() * items.size() > 4096;
    QHash<QUuid, qsizetype> firstIndex;
    if (useTable) {
        firstIndex.reserve(items.size());
        for (qsizetype i = items.size() - 1; i >= 0; --i)
            firstIndex.insert(items.at(i).id, i); // earlier positions overwrite later ones
    }

    for (qsizetype i : comments) {
        const Item &comment = items.at(i);
        std::optional<qsizetype> arrow;
        if (useTable) {
            const auto found = firstIndex.constFind(*comment.arrowID);
            if (found != firstIndex.cend())
                arrow = *found;
        } else {
            arrow = itemIndex(*comment.arrowID);
        }
        if (!arrow) {
            items[i].arrowID.reset();
            continue;
        }
        const QPointF tail = items.at(*arrow).tail;
        const TextSide side = TextSide::forArrow(tail, items.at(*arrow).head);
        if (comment.anchor.x() != tail.x() || comment.anchor.y() != tail.y()
            || comment.side != side) {
            Item &changed = items[i];
            changed.anchor = tail;
            changed.side = side;
        }
    }
}
