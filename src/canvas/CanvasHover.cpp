// What lies under the pointer: the grips of the selected item and of the shots' crop edges, the
// items, the comment controls; the hover state and cursor made from them; the bin's action.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "document/GripGeometry.h"

#include <QPainterPathStroker>

#include <cmath>

namespace {
constexpr double handleSide = 28;       // a rectangle narrower or lower shows no handles
constexpr double middleHandles = 120;   // from this side on, the edge middles show too
constexpr double controlsNear = 40;     // the controls stay up this close to them
constexpr double boxSlack = 4;          // a comment box grown by this takes the controls
constexpr double controlSide = 22;
constexpr double hitSlack = 6;          // screen points around a mark that still hit it

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// A comment's box: its text grown by 9 and 6 of the item's scale.
QRectF commentBox(const QRectF &text, const Item &item)
{
    const double h = item.scaled(9), v = item.scaled(6);
    return text.adjusted(-h, -v, h, v);
}
} // namespace

QPointF CanvasController::toHost(QPointF document) const
{
    if (!host || !scrollView)
        return document;
    return scrollView->viewPoint(document) + QPointF(scrollView->viewport()->mapTo(host, QPoint())) - m_shake;
}

QRectF CanvasController::toHost(const QRectF &document) const
{
    return QRectF(toHost(document.topLeft()), toHost(document.bottomRight()));
}

QPointF CanvasController::fromHost(QPointF hostPoint) const
{
    if (!host || !scrollView)
        return hostPoint;
    return scrollView->documentPoint(hostPoint - QPointF(scrollView->viewport()->mapTo(host, QPoint())) + m_shake);
}

// ---- the selected item ----

std::optional<Item> CanvasController::singleSelectedItem() const
{
    std::optional<Item> only;
    for (const Item &item : markup.items) {
        if (!selection.contains(item.id))
            continue;
        // A comment selected with its arrow counts as that arrow.
        if (item.arrowID && selection.contains(*item.arrowID) && markup.item(*item.arrowID))
            continue;
        if (only)
            return std::nullopt;
        only = item;
    }
    return only;
}

// ---- grips ----

QList<int> CanvasController::gripHandles(const QRectF &rect)
{
    const double w = std::abs(rect.width()), h = std::abs(rect.height());
    if (w < handleSide || h < handleSide)
        return {};
    QList<int> handles{0, 2, 4, 6};
    if (w >= middleHandles)
        handles << 1 << 5;
    if (h >= middleHandles)
        handles << 3 << 7;
    return handles;
}

QList<CanvasController::Grip> CanvasController::grips() const
{
    QList<Grip> out;
    if (const auto item = singleSelectedItem()) {
        if (item->kind == ItemKind::box || item->kind == ItemKind::redaction) {
            const QRectF r = toHost(item->rect).normalized();
            const double reach = std::min(r.width(), r.height()) < 64 ? 10 : 15;
            const auto points = gripPoints(r);
            for (int h : gripHandles(r))
                out << Grip{Grip::ItemEnd{item->id, h}, points.at(h), 6.5, reach, h};
        } else if (item->kind == ItemKind::arrow) {
            out << Grip{Grip::ItemEnd{item->id, 0}, toHost(item->tail), 7, 16, std::nullopt};
            out << Grip{Grip::ItemEnd{item->id, 1}, toHost(item->head), 7, 16, std::nullopt};
        }
    }
    for (qsizetype i = markup.shots.size() - 1; i >= 0; --i) {
        const Shot &shot = markup.shots.at(i);
        const QRectF r = toHost(shot.rect).normalized();
        const bool small = std::min(r.width(), r.height()) < 90;
        const auto points = gripPoints(r);
        for (int h : gripHandles(r)) {
            const bool corner = h % 2 == 0;
            const double reach = small ? 11 : corner ? 22 : 16;
            out << Grip{Grip::Crop{shot.id, h}, points.at(h), corner ? 7.5 : 6.5, reach, h};
        }
    }
    return out;
}

std::optional<CanvasController::Grip> CanvasController::gripAt(QPointF q, QPointF p) const
{
    std::optional<Grip> best;
    double bestDistance = 0;
    for (const Grip &g : grips()) {
        const double d = distance(g.point, q);
        if (d > g.reach || (best && d >= bestDistance))
            continue;
        best = g;
        bestDistance = d;
    }
    if (!best || std::holds_alternative<Grip::ItemEnd>(best->target))
        return best;
    // Farther out than its circle, a crop handle gives way to an item under the pointer.
    if (bestDistance <= best->radius + 4 || !itemAt(p))
        return best;
    return std::nullopt;
}

// ---- items ----

std::optional<QUuid> CanvasController::itemAt(QPointF p) const
{
    const double z = magnification();
    const double slack = hitSlack / z;
    for (qsizetype i = markup.items.size() - 1; i >= 0; --i) {
        const Item &item = markup.items.at(i);
        if (item.kind != ItemKind::text)
            continue;
        const TextItemView *view = texts.value(item.id);
        if (!view)
            continue;
        const QRectF text = textFrameOf(view, false);
        if (commentBox(text, item).contains(p) || text.adjusted(-slack, -slack, slack, slack).contains(p))
            return item.id;
    }
    for (qsizetype i = markup.items.size() - 1; i >= 0; --i) {
        const Item &item = markup.items.at(i);
        if (item.kind == ItemKind::text)
            continue;
        const auto found = shapes.find(item.id);
        if (found == shapes.end() || !found->second->hitPath)
            continue;
        const QPainterPath &path = *found->second->hitPath;
        if (!path.controlPointRect().adjusted(-slack, -slack, slack, slack).contains(p))
            continue;
        if (path.contains(p))
            return item.id;
        if (item.kind == ItemKind::redaction)
            continue;
        if (strokedHitPath(item.id, path, z).contains(p))
            return item.id;
    }
    return std::nullopt;
}

// The band 12 screen points wide around a mark's hit path, kept per item and zoom.
const QPainterPath &CanvasController::strokedHitPath(const QUuid &id, const QPainterPath &path, double z) const
{
    auto &cached = m_strokedHits[id];
    if (cached.zoom != z || cached.source != path) {
        QPainterPathStroker stroker;
        stroker.setWidth(2 * hitSlack / z);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setMiterLimit(4);
        cached.zoom = z;
        cached.source = path;
        cached.stroked = stroker.createStroke(path);
    }
    return cached.stroked;
}

// ---- comment controls ----

std::optional<CanvasController::ControlsBox> CanvasController::commentControlsLayout(const QUuid &id) const
{
    const TextItemView *view = texts.value(id);
    const auto item = markup.item(id);
    if (!view || !item)
        return std::nullopt;
    const QRectF base = view == editing ? textFrameOf(view, true) : textFrameOf(view, false);
    const QRectF box = toHost(commentBox(base, *item));
    const QRectF grip(box.right() + 1 - controlSide, box.bottom() + 2, controlSide, controlSide);
    return ControlsBox{box, CommentControls::Layout{grip.translated(-controlSide, 0), grip}};
}

std::optional<CanvasController::CommentFrames> CanvasController::commentFrames(const QUuid &id) const
{
    const auto controls = commentControlsLayout(id);
    const auto text = textFrame(id);
    if (!controls || !text)
        return std::nullopt;
    return CommentFrames{controls->box, toHost(*text)};
}

std::optional<CanvasController::ControlsHit> CanvasController::commentControlsAt(QPointF q) const
{
    const auto shown = controlsText ? commentControlsLayout(*controlsText) : std::nullopt;
    if (shown) {
        if (const auto part = CommentControls::hit(shown->layout, q))
            return ControlsHit{*controlsText, part};
    }
    for (qsizetype i = markup.items.size() - 1; i >= 0; --i) {
        const Item &item = markup.items.at(i);
        if (item.kind != ItemKind::text)
            continue;
        const TextItemView *view = texts.value(item.id);
        if (!view)
            continue;
        const QRectF box = toHost(commentBox(view == editing ? textFrameOf(view, true) : textFrameOf(view, false), item));
        if (box.adjusted(-boxSlack, -boxSlack, boxSlack, boxSlack).contains(q))
            return ControlsHit{item.id, std::nullopt};
    }
    if (shown) {
        const QRectF all = shown->box.united(shown->layout.trash).united(shown->layout.grip);
        if (all.adjusted(-controlsNear, -controlsNear, controlsNear, controlsNear).contains(q))
            return ControlsHit{*controlsText, std::nullopt};
    }
    return std::nullopt;
}

// ---- hover ----

void CanvasController::pointerMoved(std::optional<QPointF> over, std::optional<QPointF> comment, bool wake)
{
    hoverPoint = over;
    commentPoint = comment;
    if (wake && controlsQuiet) {
        controlsQuiet = false;
        updateChrome();
    }
    if (spoken && over)
        spokenPointed();
    if (dragIsNone())
        updateHover();
}

void CanvasController::updateHover()
{
    std::optional<ControlsHit> controls;
    const std::optional<QPointF> at = hoverPoint ? hoverPoint : commentPoint;
    if (!armed && !spaceHeld && at)
        controls = commentControlsAt(toHost(*at));
    if (controlsQuiet && controls)
        controls->part.reset();

    std::optional<Grip> grip;
    std::optional<QUuid> hovered;
    const std::optional<QUuid> edited = editing ? std::optional(editing->itemID()) : std::nullopt;
    if (!spaceHeld && (!controls || !controls->part)) {
        if (hoverPoint)
            grip = gripAt(toHost(*hoverPoint), *hoverPoint);
        // The comment under the pointer lights up, whether the pointer is over its text or
        // over the canvas within its box.
        if (at && !grip && !armed) {
            const auto hit = itemAt(*at);
            const auto item = hit ? markup.item(*hit) : std::nullopt;
            if (item && item->kind == ItemKind::text && item->id != edited)
                hovered = item->id;
        }
    }
    if (controls && controls->part && controls->id != edited)
        hovered = controls->id;

    const std::optional<Grip::Target> target = grip ? std::optional(grip->target) : std::nullopt;
    const std::optional<QUuid> controlsId = controls ? std::optional(controls->id) : std::nullopt;
    const std::optional<CommentControls::Part> part = controls ? controls->part : std::nullopt;
    const bool changed = target != hotGrip || hovered != hoveredText || controlsId != controlsText || part != controlHot;
    if (changed) {
        hotGrip = target;
        hoveredText = hovered;
        controlsText = controlsId;
        controlHot = part;
        CursorKind kind = CursorKind::crosshair;
        if (part == CommentControls::Part::grip)
            kind = CursorKind::openHand;
        else if (part == CommentControls::Part::trash)
            kind = CursorKind::pointingHand;
        else if (grip && grip->frame)
            kind = resizeCursor(*grip->frame);
        else if (grip)
            kind = CursorKind::openHand;
        else if (hovered)
            kind = CursorKind::iBeam;
        cursor = kind;
        updateChrome();
    }
    if (scrollView)
        scrollView->viewport()->setCursor(cursorFor(isPanning || spaceHeld ? CursorKind::openHand : cursor));
}

// ---- the bin ----

void CanvasController::deleteComment(const QUuid &id)
{
    const QSet<QUuid> ids = markup.withLinkedItems({id});
    Markup before = markup;
    if (editing) {
        if (editing->itemID() == id && editBefore) {
            before = *editBefore;
            editBefore.reset();
        }
        endEditing();
    }
    markup.removeItems(ids);
    selection.subtract(ids);
    hoveredText.reset();
    controlsText.reset();
    controlHot.reset();
    setCursor(CursorKind::crosshair);
    recordUndo(before);
    refresh(false);
}
