#include "Markup.h"

#include "Plane.h"

#include <QHash>

#include <algorithm>

Markup Markup::single(const QRectF &rect, QSizeF imageSize, double unit, const ItemList &items)
{
    return Markup({Shot(QUuid::createUuid(), QPointF(0, 0), imageSize, rect)}, unit, items);
}

bool operator==(const Markup &a, const Markup &b)
{
    return a.shots == b.shots && a.unit == b.unit && a.items == b.items;
}

// --- Shots

QRectF Markup::shotRect() const
{
    return shots.isEmpty() ? QRectF() : shots.first().rect;
}

void Markup::setShotRect(const QRectF &rect)
{
    if (!shots.isEmpty())
        shots.first().rect = rect;
}

QSizeF Markup::shotImageSize() const
{
    return shots.isEmpty() ? QSizeF(0, 0) : shots.first().imageSize;
}

QRectF Markup::shotsBounds() const
{
    QRectF bounds;
    for (const Shot &s : shots)
        bounds = Plane::unite(bounds, s.rect);
    return bounds;
}

QList<QRectF> Markup::shotRects() const
{
    QList<QRectF> rects;
    rects.reserve(shots.size());
    for (const Shot &s : shots)
        rects.append(s.rect);
    return rects;
}

std::optional<Shot> Markup::shot(const QUuid &id) const
{
    const auto index = shotIndex(id);
    return index ? std::optional<Shot>(shots.at(*index)) : std::nullopt;
}

std::optional<qsizetype> Markup::shotIndex(const QUuid &id) const
{
    for (qsizetype i = 0; i < shots.size(); ++i) {
        if (shots.at(i).id == id)
            return i;
    }
    return std::nullopt;
}

std::optional<Shot> Markup::shotAt(QPointF point) const
{
    for (qsizetype i = shots.size() - 1; i >= 0; --i) {
        if (Plane::contains(shots.at(i).rect, point))
            return shots.at(i);
    }
    return std::nullopt;
}

QList<Markup::ShotPiece> Markup::shotPieces(const Item &item) const
{
    QList<ShotPiece> pieces;
    for (const Shot &s : shots) {
        const QRectF piece = Plane::intersection(s.rect, item.rect);
        if (!Plane::isNull(piece) && !Plane::isEmpty(piece))
            pieces.append({s, piece});
    }
    return pieces;
}

QRectF Markup::visibleRect(const Item &item) const
{
    QRectF visible;
    for (const ShotPiece &piece : shotPieces(item))
        visible = Plane::unite(visible, piece.rect);
    return visible;
}

QPointF Markup::placeForShot(double width, double height, double gap) const
{
    if (shots.isEmpty())
        return QPointF(0, 0);
    const QRectF first = shots.first().rect.normalized();
    const QRectF last = shots.last().rect.normalized();
    const double x = last.right() + gap;
    if ((x + width) - first.left() <= std::max(2 * first.width() + gap, width) + 0.5) {
        const QRectF grown(x - gap / 2, last.top() - gap / 2, width + gap, height + gap);
        const bool taken = std::any_of(shots.cbegin(), shots.cend(), [&](const Shot &s) {
            return Plane::meets(grown, s.rect);
        });
        if (!taken)
            return QPointF(x, last.top());
    }
    double lowest = shots.first().rect.normalized().bottom();
    for (const Shot &s : shots)
        lowest = std::max(lowest, s.rect.normalized().bottom());
    return QPointF(first.left(), lowest + gap);
}

Shot Markup::addShot(QSizeF imageSize, const QRectF &rect, double gap)
{
    const QPointF place = placeForShot(rect.width(), rect.height(), gap);
    const double dx = Plane::roundHalfAway(place.x() - rect.normalized().left());
    const double dy = Plane::roundHalfAway(place.y() - rect.normalized().top());
    const Shot shot(QUuid::createUuid(), QPointF(dx, dy), imageSize, rect.translated(dx, dy));
    shots.append(shot);
    return shot;
}

void Markup::moveShot(const QUuid &id, double dx, double dy)
{
    const auto index = shotIndex(id);
    if (!index)
        return;
    const QRectF on = shots.at(*index).rect;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item &it = items.at(i);
        switch (it.kind) {
        case ItemKind::box:
        case ItemKind::redaction:
            if (Plane::contains(on, it.rect))
                items[i].moveBy(dx, dy);
            break;
        case ItemKind::arrow:
            if (Plane::contains(on, it.head)) {
                if (Plane::contains(on, it.tail))
                    items[i].moveBy(dx, dy);
                else
                    items[i].head += QPointF(dx, dy);
            }
            break;
        case ItemKind::text:
            if (!it.arrowID && Plane::contains(on, it.anchor))
                items[i].moveBy(dx, dy);
            break;
        }
    }
    shots[*index].moveBy(dx, dy);
    pinNotes();
}

void Markup::removeShot(const QUuid &id)
{
    if (shots.size() < 2 || !shotIndex(id))
        return;
    shots.removeIf([&](const Shot &s) { return s.id == id; });
}
