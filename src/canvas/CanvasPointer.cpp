// What a press on the canvas starts, how each drag step changes the document, and what the release
// leaves behind: arrows with their comments, boxes, redactions, moves, resizes, crops, shot moves,
// comment moves, the marquee and the Space pan.
#include "canvas/CanvasController.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasChrome.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/DocumentView.h"
#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "document/Angle.h"
#include "document/GripGeometry.h"
#include "document/Selection.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTextCursor>

#include <cmath>

namespace {
constexpr double moveThreshold = 8;   // screen points before a press becomes a drag
constexpr double shortestArrow = 12;  // screen points: shorter arrows vanish at release
constexpr double smallestMark = 4;    // screen points: the least side of a resized box
constexpr double smallestCrop = 24;   // screen points: the least side of a crop
constexpr double edgeBand = 6;        // screen points either side of a shot's border
constexpr double snapDegrees = 15;
constexpr double orientRadius = 14;
const QRectF unbounded(-1'000'000, -1'000'000, 2'000'000, 2'000'000);

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}
} // namespace

double CanvasController::magnification() const
{
    return scrollView ? scrollView->magnification() : 1;
}

// While the talk key is held its modifier draws nothing: a drag stays an arrow.
Qt::KeyboardModifiers CanvasController::drawingFlags(Qt::KeyboardModifiers flags)
{
    Talk *t = talkController();
    if (!t || !t->isHolding())
        return flags;
    switch (Prefs::talkKey()) {
    case TalkKey::control:
        flags &= ~Qt::MetaModifier;
        break;
    case TalkKey::rightOption:
        flags &= ~Qt::AltModifier;
        break;
    case TalkKey::rightCommand:
        flags &= ~Qt::ControlModifier;
        break;
    }
    return flags;
}

// ---- press ----

void CanvasController::mouseDown(Qt::KeyboardModifiers rawFlags, int clickCount, QPointF point)
{
    const Qt::KeyboardModifiers flags = drawingFlags(rawFlags);
    lastPointer = point;
    railFocused = false;
    if (rail)
        rail->clearPicks();

    if (spaceHeld) {
        drag = Drag{};
        drag.kind = DragKind::pan;
        drag.last = DocumentView::liveInput().pointer();
        setCursor(CursorKind::closedHand);
        return;
    }

    const QPointF hostPoint = toHost(point);
    if (!controlsQuiet && controlsText) {
        const auto hit = commentControlsAt(hostPoint);
        if (hit && hit->id == *controlsText && hit->part) {
            if (*hit->part == CommentControls::Part::grip) {
                if (editing && editing->itemID() != hit->id)
                    endEditing();
                Drag d;
                d.kind = DragKind::moveComment;
                d.target = hit->id;
                d.start = d.last = point;
                if (editing && editing->itemID() == hit->id) {
                    const QTextCursor c = editing->textCursor();
                    d.caret = std::pair(c.anchor(), c.position());
                } else {
                    d.before = markup;
                }
                drag = d;
                setCursor(CursorKind::closedHand);
                updateChrome();
                return;
            }
            drag = Drag{};
            deleteComment(hit->id);
            trashedAt = scheduler()->now();
            return;
        }
    }

    // The second click of a double click on the bin does nothing more.
    if (clickCount >= 2 && trashedAt
        && scheduler()->now() - *trashedAt < QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0) {
        drag = Drag{};
        return;
    }

    if (editing)
        endEditing();

    hoveredText.reset();
    if (pressGrip(hostPoint, point))
        return;
    hotGrip.reset();

    if (pressShotEdge(hostPoint, point))
        return;
    selectedShot.reset();

    if (armed) {
        selection.clear();
        const Tool tool = *armed;
        if (tool == Tool::text) {
            armed.reset();
            drag = Drag{};
            placeText(TextSide::right, std::nullopt, point, markup);
        } else if (tool == Tool::arrow) {
            armed.reset();
            drag = Drag{};
            drag.kind = DragKind::pending;
            drag.start = point;
        } else {
            drag = Drag{};
            drag.kind = DragKind::shape;
            drag.shape = tool == Tool::box ? ItemKind::box : ItemKind::redaction;
            drag.start = point;
            drag.before = markup;
        }
        updateChrome();
        updateToolbar();
        return;
    }

    const std::optional<QUuid> hit = itemAt(point);
    if (hit && markup.item(*hit)) {
        pressItem(flags, clickCount, *hit, point);
    } else if (flags & (Qt::ControlModifier | Qt::AltModifier)) {
        // Ctrl draws a box (also with Alt), Alt alone a redaction.
        selection.clear();
        drag = Drag{};
        drag.kind = DragKind::shape;
        drag.shape = flags.testFlag(Qt::ControlModifier) ? ItemKind::box : ItemKind::redaction;
        drag.start = point;
        drag.before = markup;
    } else if (flags.testFlag(Qt::ShiftModifier)) {
        drag = Drag{};
        drag.kind = DragKind::marquee;
        drag.start = point;
        drag.base = selection;
    } else {
        drag = Drag{};
        drag.kind = DragKind::pending;
        drag.start = point;
        drag.deselected = !selection.isEmpty();
        selection.clear();
    }
    updateChrome();
    updateToolbar();
}

// A press on a grip starts an end drag, a resize or a crop. True when it started one.
bool CanvasController::pressGrip(QPointF hostPoint, QPointF point)
{
    const std::optional<Grip> grip = gripAt(hostPoint, point);
    if (!grip)
        return false;
    Drag d;
    d.start = point;
    d.before = markup;
    if (const auto *end = std::get_if<Grip::ItemEnd>(&grip->target)) {
        if (const auto item = markup.item(end->item)) {
            d.target = item->id;
            if (item->kind == ItemKind::arrow) {
                d.kind = DragKind::arrowEnd;
                d.head = end->index == 1;
            } else {
                d.kind = DragKind::resize;
                d.handle = end->index;
                d.startRect = item->rect;
            }
        }
    } else {
        const auto &crop = std::get<Grip::Crop>(grip->target);
        if (const auto shot = markup.shot(crop.shot)) {
            lastCropHandle = CropHandle{crop.shot, crop.handle};
            selectedShot.reset();
            cropStop.reset();
            joltArmed = CropStop::Armed{};
            edgePanning = false;
            d.kind = DragKind::crop;
            d.target = crop.shot;
            d.handle = crop.handle;
            d.startRect = shot->rect;
        }
    }
    hotGrip = grip->target;
    if (d.kind != DragKind::none)
        drag = d;
    updateChrome();
    return d.kind != DragKind::none;
}

// With two or more shots and no tool armed, a press on the 12-point band around a shot's border
// picks the shot up.
bool CanvasController::pressShotEdge(QPointF hostPoint, QPointF point)
{
    if (armed || markup.shots.size() < 2)
        return false;
    for (qsizetype i = markup.shots.size() - 1; i >= 0; --i) {
        const Shot &shot = markup.shots.at(i);
        const QRectF r = toHost(shot.rect);
        const QRectF outer = r.adjusted(-edgeBand, -edgeBand, edgeBand, edgeBand);
        const QRectF inner = r.adjusted(edgeBand, edgeBand, -edgeBand, -edgeBand);
        if (!outer.contains(hostPoint) || inner.contains(hostPoint))
            continue;
        selection.clear();
        selectedShot = shot.id;
        drag = Drag{};
        drag.kind = DragKind::moveShot;
        drag.target = shot.id;
        drag.start = drag.last = point;
        drag.before = markup;
        updateChrome();
        return true;
    }
    return false;
}

void CanvasController::pressItem(Qt::KeyboardModifiers flags, int clickCount, const QUuid &id, QPointF point)
{
    const Item item = *markup.item(id);
    const QSet<QUuid> linked = markup.withLinkedItems({id});
    drag = Drag{};
    if (flags.testFlag(Qt::ShiftModifier)) {
        if (selection.contains(linked))
            selection.subtract(linked);
        else
            selection.unite(linked);
        return;
    }
    if (clickCount >= 2) {
        std::optional<QUuid> text;
        if (item.kind == ItemKind::text)
            text = id;
        else if (item.kind == ItemKind::arrow)
            if (const auto note = markup.note(id))
                text = note->id;
        if (text) {
            selection.clear();
            editText(*text, point, true);
            return;
        }
    }
    if (!selection.contains(id))
        selection = linked;
    drag.kind = DragKind::move;
    drag.start = drag.last = point;
    drag.before = markup;
    drag.duplicate = flags.testFlag(Qt::AltModifier);
    if (item.kind == ItemKind::text && !(flags & (Qt::AltModifier | Qt::ControlModifier)))
        drag.edit = id;
}

// ---- drag ----

void CanvasController::mouseDragged(Qt::KeyboardModifiers flags, QPointF point)
{
    const Qt::KeyboardModifiers drawing = drawingFlags(flags);
    lastPointer = point;
    if (hoverPoint)
        hoverPoint = point;
    dragStep(drawing, point);
}

void CanvasController::dragStep(Qt::KeyboardModifiers flags, QPointF point)
{
    const double z = magnification();
    const double threshold = moveThreshold / z;
    const bool shift = flags.testFlag(Qt::ShiftModifier);
    switch (drag.kind) {
    case DragKind::pending: {
        if (distance(drag.start, point) < threshold)
            return;
        const Item arrow = Item::arrowFrom(drag.start, point, color, size);
        const QPointF start = drag.start;
        drag = Drag{};
        drag.kind = DragKind::arrow;
        drag.start = start;
        drag.target = arrow.id;
        drag.before = markup;
        markup.items.append(arrow);
        [[fallthrough]];
    }
    case DragKind::arrow: {
        const auto index = markup.itemIndex(*drag.target);
        if (!index)
            return;
        const QPointF candidate = shift ? Angle::snap(drag.start, point, snapDegrees) : point;
        QPointF tail = drag.start, head = candidate;
        if (Prefs::autoDirection()) {
            const auto oriented =
                canvasGeometry().orientArrow(drag.headAtEnd, drag.start, candidate, orientRadius / z);
            tail = oriented.tail;
            head = oriented.head;
            drag.headAtEnd = oriented.kept;
        } else {
            drag.headAtEnd = true;
        }
        Item &arrow = markup.items[*index];
        arrow.tail = tail;
        arrow.head = head;
        break;
    }
    case DragKind::shape: {
        const QRectF rect = Selection::rect(drag.start, point, shift, false);
        if (drag.target) {
            const auto index = markup.itemIndex(*drag.target);
            if (!index)
                return;
            markup.items[*index].rect = rect;
        } else {
            if (std::max(rect.width(), rect.height()) < threshold)
                return;
            const Item shape = Item::withRect(drag.shape, rect, color, size);
            markup.items.append(shape);
            drag.target = shape.id;
        }
        break;
    }
    case DragKind::move: {
        if (!drag.moved && distance(drag.start, point) < threshold)
            return;
        if (!drag.moved && drag.duplicate)
            selection = markup.duplicateItems(selection, 0, 0);
        const QPointF d = point - drag.last;
        markup.moveItems(selection, d.x(), d.y());
        drag.last = point;
        drag.moved = true;
        drag.edit.reset();
        break;
    }
    case DragKind::arrowEnd: {
        const auto index = markup.itemIndex(*drag.target);
        if (!index)
            return;
        Item &arrow = markup.items[*index];
        const QPointF other = drag.head ? arrow.tail : arrow.head;
        const QPointF end = shift ? Angle::snap(other, point, snapDegrees) : point;
        (drag.head ? arrow.head : arrow.tail) = end;
        markup.pinNotes();
        break;
    }
    case DragKind::resize: {
        const auto index = markup.itemIndex(*drag.target);
        if (!index)
            return;
        const QPointF d = point - drag.start;
        markup.items[*index].rect = resizedRect(drag.handle, drag.startRect, d.x(), d.y(), unbounded, smallestMark / z);
        break;
    }
    case DragKind::crop: {
        const auto index = markup.shotIndex(*drag.target);
        if (!index)
            return;
        const Shot shot = markup.shots.at(*index);
        const QPointF d = point - drag.start;
        const QRectF got = resizedRect(drag.handle, drag.startRect, d.x(), d.y(), shot.frame(), smallestCrop / z);
        checkCropStop(drag.handle, got, drag.startRect, d);
        const QPointF a = snapToPixels(got.topLeft(), shot);
        const QPointF b = snapToPixels(got.bottomRight(), shot);
        markup.shots[*index].rect = QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                           QSizeF(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
        break;
    }
    case DragKind::moveShot: {
        if (!markup.shot(*drag.target))
            return;
        if (!drag.moved && distance(drag.start, point) < threshold)
            return;
        // Whole points from where the drag began, so the shot lands on whole-point offsets.
        const auto whole = [](QPointF p) { return QPointF(std::round(p.x()), std::round(p.y())); };
        const QPointF step = whole(point - drag.start) - whole(drag.last - drag.start);
        markup.moveShot(*drag.target, step.x(), step.y());
        drag.last = point;
        drag.moved = true;
        break;
    }
    case DragKind::moveComment: {
        if (!markup.item(*drag.target))
            return;
        if (!drag.moved && distance(drag.start, point) < threshold)
            return;
        const QPointF d = point - drag.last;
        markup.moveItems({*drag.target}, d.x(), d.y());
        drag.last = point;
        drag.moved = true;
        break;
    }
    case DragKind::marquee: {
        const QRectF band = QRectF(drag.start, point).normalized();
        QSet<QUuid> hits;
        for (const Item &item : markup.items) {
            if (itemBounds(item).intersects(band))
                hits.insert(item.id);
        }
        selection = drag.base;
        selection.unite(markup.withLinkedItems(hits));
        break;
    }
    case DragKind::pan: {
        const QPointF now = DocumentView::liveInput().pointer();
        const QPointF d = now - drag.last;
        if (scrollView)
            scrollView->pan(d.x(), d.y());
        drag.last = now;
        return;
    }
    case DragKind::none:
        return;
    }
    refresh(false);
}

// ---- release ----

void CanvasController::mouseUp(Qt::KeyboardModifiers, QPointF p)
{
    const Drag done = drag;
    drag = Drag{};
    cropStop.reset();
    edgePanning = false;
    lastPointer = p;

    switch (done.kind) {
    case DragKind::pending:
        if (!done.deselected)
            placeText(TextSide::right, std::nullopt, done.start, markup);
        break;
    case DragKind::arrow:
        finishArrow(done);
        break;
    case DragKind::shape:
        armed.reset();
        if (done.target && markup.item(*done.target)) {
            selection = {*done.target};
            recordUndo(*done.before);
        }
        break;
    case DragKind::move:
        finishMove(done, p);
        break;
    case DragKind::arrowEnd:
    case DragKind::resize:
    case DragKind::crop:
        recordUndo(*done.before);
        break;
    case DragKind::moveShot:
        if (done.moved)
            recordUndo(*done.before);
        break;
    case DragKind::moveComment:
        controlHot.reset();
        if (editing && editing->itemID() == done.target) {
            editing->setFocus(Qt::MouseFocusReason);
            if (done.caret) {
                QTextCursor c = editing->textCursor();
                c.setPosition(done.caret->first);
                c.setPosition(done.caret->second, QTextCursor::KeepAnchor);
                editing->setTextCursor(c);
            }
        } else if (done.moved && done.before) {
            recordUndo(*done.before);
        }
        break;
    case DragKind::pan:
        setCursor(isPanning || spaceHeld ? CursorKind::openHand : CursorKind::crosshair);
        break;
    case DragKind::marquee:
    case DragKind::none:
        break;
    }

    hotGrip.reset();
    if (hoverPoint) {
        hoverPoint = p;
        updateHover();
    }
    refresh(false);
    // Words heard while the gesture ran were held back until now.
    if (spoken)
        applySpokenWords();
}

// A drawn arrow gets its comment at the tail, on the side away from the head; one too short to
// mean anything goes again, leaving no undo step.
void CanvasController::finishArrow(const Drag &done)
{
    const auto arrow = markup.item(*done.target);
    if (!arrow)
        return;
    if (arrow->length() < shortestArrow / magnification()) {
        markup.items.removeIf([&](const Item &item) { return item.id == arrow->id; });
        return;
    }
    placeText(TextSide::forArrow(arrow->tail, arrow->head), arrow->id, arrow->tail, *done.before);
}

void CanvasController::finishMove(const Drag &done, QPointF p)
{
    if (done.moved) {
        recordUndo(*done.before);
        return;
    }
    if (!done.edit || !markup.item(*done.edit))
        return;
    selection.clear();
    editText(*done.edit, p, false);
}

void CanvasController::setCursor(CursorKind kind)
{
    cursor = kind;
    if (scrollView)
        scrollView->viewport()->setCursor(cursorFor(kind));
}
