// The item operations of Markup: lookups, moving, duplicating, restyling, removing, reversing and
// keeping comments pinned to their arrows.
#include "Markup.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool anyChosen(const ItemList &items, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return false;
    return std::any_of(items.cbegin(), items.cend(),
                       [&](const Item &it) { return ids.contains(it.id); });
}

// Any strict order serves the lookups below; the bytes' order is the cheapest one.
bool before(const QUuid &a, const QUuid &b)
{
    static_assert(sizeof(QUuid) == 16);
    quint64 x[2], y[2];
    std::memcpy(x, &a, 16);
    std::memcpy(y, &b, 16);
    return x[0] != y[0] ? x[0] < y[0] : x[1] < y[1];
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
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (ids.contains(items.at(i).id))
                items[i].moveBy(dx, dy);
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
    ItemList copies;
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
    for (qsizetype i = 0; i < copies.size(); ++i) {
        Item &copy = copies[i];
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
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (linked.contains(items.at(i).id))
            change(items[i]);
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
    std::vector<QUuid> wanted; // the arrow ids the comments name, sorted, once each
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).isComment()) {
            comments.append(i);
            wanted.push_back(*items.at(i).arrowID);
        }
    }
    if (comments.isEmpty())
        return;
    std::sort(wanted.begin(), wanted.end(), before);
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());

    // One pass finds the first position of every wanted id.
    std::vector<qsizetype> firstIndex(wanted.size(), -1);
    size_t found = 0;
    for (qsizetype i = 0; i < items.size() && found < wanted.size(); ++i) {
        const auto at = std::lower_bound(wanted.begin(), wanted.end(), items.at(i).id, before);
        if (at != wanted.end() && *at == items.at(i).id) {
            qsizetype &first = firstIndex[size_t(at - wanted.begin())];
            if (first < 0) {
                first = i;
                ++found;
            }
        }
    }

    for (qsizetype i : comments) {
        const Item &comment = items.at(i);
        const auto at = std::lower_bound(wanted.begin(), wanted.end(), *comment.arrowID, before);
        const qsizetype arrow = firstIndex[size_t(at - wanted.begin())];
        if (arrow < 0) {
            items[i].arrowID.reset();
            continue;
        }
        const QPointF tail = items.at(arrow).tail;
        const TextSide side = TextSide::forArrow(tail, items.at(arrow).head);
        if (comment.anchor.x() != tail.x() || comment.anchor.y() != tail.y()
            || comment.side != side) {
            Item &changed = items[i];
            changed.anchor = tail;
            changed.side = side;
        }
    }
}
