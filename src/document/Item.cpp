#include "Item.h"

#include "Plane.h"

#include <algorithm>

const std::array<const char *, 4> Item::sizeNames = {"S", "M", "L", "XL"};

Item::Item(const QUuid &id, ItemKind kind, int color, int size)
    : id(id), kind(kind), color(color), size(size)
{
}

Item Item::arrowFrom(QPointF tail, QPointF head, int color, int size)
{
    Item item(QUuid::createUuid(), ItemKind::arrow, color, size);
    item.tail = tail;
    item.head = head;
    return item;
}

Item Item::noteAt(QPointF anchor, TextSide side, double width, const QString &font, int color,
                  int size, std::optional<QUuid> arrowID)
{
    Item item(QUuid::createUuid(), ItemKind::text, color, size);
    item.anchor = anchor;
    item.side = side;
    item.width = width;
    item.font = font;
    item.arrowID = arrowID;
    return item;
}

Item Item::withRect(ItemKind kind, const QRectF &rect, int color, int size)
{
    Item item(QUuid::createUuid(), kind, color, size);
    item.rect = rect;
    return item;
}

double Item::length() const
{
    return Plane::distance(tail, head);
}

double Item::scaled(double x) const
{
    return x * sizeScales[size_t(std::clamp(size, 0, int(sizeScales.size()) - 1))];
}

void Item::moveBy(double dx, double dy)
{
    const QPointF d(dx, dy);
    tail += d;
    head += d;
    anchor += d;
    rect.translate(dx, dy);
}

bool operator==(const Item &a, const Item &b)
{
    return a.id == b.id && a.kind == b.kind && a.color == b.color && a.size == b.size
        && Plane::same(a.tail, b.tail) && Plane::same(a.head, b.head) && a.flipped == b.flipped
        && a.string == b.string && Plane::same(a.anchor, b.anchor) && a.side == b.side
        && a.width == b.width && a.font == b.font && a.arrowID == b.arrowID
        && Plane::same(a.rect, b.rect);
}

QString Item::cappedString(const QString &text)
{
    if (text.size() <= longestString)
        return text;
    qsizetype end = longestString;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}
