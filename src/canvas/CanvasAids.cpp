// The editing aids over the document (borders, grips, text boxes, comment controls, the export
// box, the selection and the marquee), keeping the content in view when the free area moves, the
// two helpers of a crop drag, and new texts placed at a point.
#include "canvas/CanvasController.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasChrome.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"
#include "document/Trim.h"
#include "rail/PageRail.h"

#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {
constexpr double exportMargin = 16; // pixels of the exported picture
constexpr double placeInset = 24;   // screen points kept free at the visible area's sides
constexpr double keepGap = 24;      // at most this gap to the free area's sides is kept

QRectF commentBox(const QRectF &text, const Item &item)
{
    const double h = item.scaled(9), v = item.scaled(6);
    return text.adjusted(-h, -v, h, v);
}
} // namespace

QRectF CanvasController::textFrameOf(const TextItemView *view, bool line)
{
    if (!line)
        return textRectOf(view);
    const QRectF r = view->lineRect();
    return view->parentItem() ? view->parentItem()->mapRectToScene(r) : r;
}

// ---- the chrome ----

void CanvasController::updateChrome()
{
    if (!chrome)
        return;
    // 1: the shots' borders.
    QPainterPath border;
    for (const Shot &shot : std::as_const(markup.shots))
        border.addRect(toHost(shot.rect).normalized().adjusted(-0.5, -0.5, 0.5, 0.5));
    chrome->setCropBorder(border.isEmpty() ? std::nullopt : std::optional(border));

    // 2: the grips, the hot one enlarged.
    QList<CanvasChrome::GripMark> marks;
    std::optional<int> hot;
    for (const Grip &g : grips()) {
        if (!hot && hotGrip && g.target == *hotGrip)
            hot = int(marks.size());
        marks << CanvasChrome::GripMark{g.point, g.radius, std::holds_alternative<Grip::ItemEnd>(g.target)};
    }
    chrome->showGrips(marks, hot);

    // 3 to 5: the box of the text being typed and of the text under the pointer.
    const std::optional<QUuid> edited = editing ? std::optional(editing->itemID()) : std::nullopt;
    if (hoveredText && (!texts.value(*hoveredText) || hoveredText == edited))
        hoveredText.reset();
    const auto boxOf = [this](const TextItemView *view, bool line) -> std::optional<QRectF> {
        const auto item = markup.item(view->itemID());
        if (!item)
            return std::nullopt;
        return toHost(commentBox(textFrameOf(view, line), *item));
    };
    chrome->setTextBox(CanvasChrome::textBoxPath(editing ? boxOf(editing, true) : std::nullopt));
    chrome->setTextHover(CanvasChrome::textBoxPath(hoveredText ? boxOf(texts.value(*hoveredText), false) : std::nullopt));

    // 6 and 7: the comment controls.
    if (controlsText && !texts.value(*controlsText)) {
        controlsText.reset();
        controlHot.reset();
    }
    std::optional<QRectF> trash, grip;
    std::optional<CommentControls::Part> hotPart;
    if (!controlsQuiet && controlsText) {
        if (const auto shown = commentControlsLayout(*controlsText)) {
            if (drag.kind == DragKind::moveComment && drag.target == controlsText) {
                grip = shown->layout.grip;
                hotPart = CommentControls::Part::grip;
            } else if (drag.kind == DragKind::none) {
                trash = shown->layout.trash;
                grip = shown->layout.grip;
                hotPart = controlHot;
            }
        }
    }
    chrome->showCommentControls(trash, grip, hotPart);

    // 8: what an export would cover, when that is more than one plain shot.
    std::optional<QPainterPath> exportPath;
    if (Prefs::showsExportBox() && !markup.shots.isEmpty()) {
        double scale = 1;
        for (const Shot &shot : std::as_const(markup.shots)) {
            if (const auto found = images.constFind(shot.id); found != images.constEnd())
                scale = std::max(scale, found->pixelScale);
        }
        QList<QRectF> frames;
        for (const Item &item : markup.items) {
            const QRectF r = itemFrame(item);
            if (!r.isNull())
                frames << r;
        }
        const QRectF shots = markup.shotsBounds();
        const QRectF r = Trim::contentBounds(frames, shots, exportMargin / scale);
        if (r != shots || markup.shots.size() >= 2) {
            QPainterPath path;
            path.addRect(toHost(r).adjusted(-0.5, -0.5, 0.5, 0.5));
            exportPath = path;
        }
    }
    chrome->setExportBox(exportPath);

    // 9: the selection outline.
    QPainterPath outline;
    for (const Item &item : markup.items) {
        if (!selection.contains(item.id))
            continue;
        const QRectF r = itemFrame(item);
        if (!r.isNull())
            outline.addRect(toHost(r).normalized().adjusted(-3, -3, 3, 3));
    }
    if (selectedShot) {
        if (const auto shot = markup.shot(*selectedShot))
            outline.addRect(toHost(shot->rect).normalized().adjusted(-3, -3, 3, 3));
    }
    chrome->setSelectionOutline(outline.isEmpty() ? std::nullopt : std::optional(outline));

    // 10: the marquee.
    std::optional<QPainterPath> band;
    if (drag.kind == DragKind::marquee) {
        QPainterPath path;
        path.addRect(toHost(QRectF(drag.start, lastPointer).normalized()).normalized());
        band = path;
    }
    chrome->setMarquee(band);
}

// ---- the content in view ----

void CanvasController::keepContentInView(const QRectF &a)
{
    if (!host || !scrollView)
        return;
    const QRectF n = visibleArea();
    if (a.width() <= 0 || n.width() <= 0)
        return;
    if (a.left() == n.left() && a.width() == n.width())
        return;
    QList<QRectF> frames;
    for (const Item &item : markup.items) {
        const QRectF r = itemFrame(item);
        if (!r.isNull())
            frames << r;
    }
    const QRectF c = Trim::contentBounds(frames, markup.shotsBounds(), 0);
    if (c.width() <= 0 || c.height() <= 0)
        return;
    const QRectF h = toHost(c);
    const QRectF h1 = h.translated(a.left() - n.left(), 0);
    const QRectF h2 = h1.translated(n.center().x() - a.center().x(), 0);
    double x = h2.left();
    // What was wholly in view stays so: the whole content, else (a comment sticking out past the
    // old area) the shots, kept at their gap from the area's edges, or all zoomed to fit.
    const QRectF shots = toHost(markup.shotsBounds()).translated(a.left() - n.left(), 0);
    const auto inside = [&a](const QRectF &r) { return r.left() >= a.left() && r.right() <= a.right(); };
    const QRectF kept = inside(h1) ? h1 : shots;
    if (inside(kept) && kept.width() > 0) {
        const double v = std::min({kept.left() - a.left(), a.right() - kept.right(), keepGap});
        if (n.width() < kept.width() + 2 * v) {
            zoomToFit();
            return;
        }
        const double shift = n.center().x() - a.center().x();
        const double left = std::min(std::max(kept.left() + shift, n.left() + v), n.right() - v - kept.width());
        x = h2.left() + left - (kept.left() + shift);
    }
    const QRectF t = QRectF(x, h2.top(), h.width(), h.height()).translated(-QPointF(scrollView->pos()));
    scrollView->showDocumentRect(c, t);
}

// ---- crop helpers ----

void CanvasController::checkCropStop(int handle, const QRectF &got, const QRectF &want, QPointF offset)
{
    const bool left = handle == 0 || handle == 6 || handle == 7;
    const bool right = handle >= 2 && handle <= 4;
    const bool top = handle <= 2;
    const bool bottom = handle >= 4 && handle <= 6;
    const double gx = left ? got.left() : got.right();
    const double gy = top ? got.top() : got.bottom();
    const double wx = (left ? want.left() : want.right()) + offset.x();
    const double wy = (top ? want.top() : want.bottom()) + offset.y();
    const auto inView = [this](QPointF p) { return scrollView ? scrollView->viewPoint(p) : p; };
    CropStop stop;
    stop.want = inView(QPointF(wx, wy));
    stop.got = inView(QPointF(gx, gy));
    stop.movesX = left || right;
    stop.movesY = top || bottom;
    cropStop = stop;
    const QPoint n = stop.nudge(edgePanning, joltArmed, panArea());
    const int x = n.x() != 0 ? (gx > wx ? -1 : 1) : 0;
    const int y = n.y() != 0 ? (gy > wy ? -1 : 1) : 0;
    if (x != 0 || y != 0)
        jolt(x, y);
}

QPointF CanvasController::snapToPixels(QPointF p, const Shot &shot) const
{
    const auto found = images.constFind(shot.id);
    const double s = found != images.constEnd() && found->pixelScale > 0 ? found->pixelScale : 1;
    const QPointF o = shot.origin;
    // std::round takes halves away from zero.
    return {o.x() + std::round((p.x() - o.x()) * s) / s, o.y() + std::round((p.y() - o.y()) * s) / s};
}

// ---- new texts ----

void CanvasController::placeText(TextSide side, std::optional<QUuid> arrowID, QPointF p, Markup before)
{
    const auto arrow = arrowID ? markup.item(*arrowID) : std::nullopt;
    const int itemColor = arrow ? arrow->color : color;
    const int itemSize = arrow ? arrow->size : size;
    const double k = markup.unit * Item::sizeScales[std::size_t(std::clamp(itemSize, 0, 3))];
    const double z = magnification();
    QRectF v = scrollView ? scrollView->visibleRect() : QRectF(p, QSizeF(1000, 1000));
    v.adjust(placeInset / z, 0, -placeInset / z, 0);
    const double widest = 520 * k, narrowest = 200 * k, gap = 10 * k;
    const auto fit = [&](double room) { return std::min(widest, std::max(narrowest, room)); };
    QPointF anchor = p;
    double width = 0;
    switch (side) {
    case TextSide::left:
        width = fit(p.x() - gap - v.left());
        break;
    case TextSide::above:
    case TextSide::below:
        width = fit(2 * std::min(v.right() - p.x(), p.x() - v.left()));
        break;
    case TextSide::aboveLeading:
        width = fit(v.right() - p.x());
        break;
    case TextSide::right:
        if (arrow) {
            width = fit(v.right() - (p.x() + gap));
        } else {
            const double l = v.left(), r = std::max(v.right(), l + 1);
            const double want = std::min(r - l, 340 * k);
            const double room = r - (p.x() + gap);
            if (want <= room) {
                width = std::floor(std::min(widest, room));
            } else {
                width = std::floor(want);
                anchor.setX(std::max(l, r - want) - gap);
            }
        }
        break;
    }
    railFocused = false;
    if (rail)
        rail->clearPicks();
    const Item note = Item::noteAt(anchor, side, std::max(20.0, std::round(width)), font, itemColor, itemSize,
                                   arrow ? std::optional(arrow->id) : std::nullopt);
    markup.items.append(note);
    markup.pinNotes();
    refresh(false);
    if (TextItemView *view = texts.value(note.id))
        beginEditing(view, before);
}

void CanvasController::editText(const QUuid &id, QPointF p, bool atEnd)
{
    TextItemView *view = texts.value(id);
    if (!view)
        return;
    beginEditing(view, markup);
    if (atEnd) {
        QTextCursor c = view->textCursor();
        c.movePosition(QTextCursor::End);
        view->setTextCursor(c);
    } else {
        view->placeCaret(view->parentItem() ? view->parentItem()->mapFromScene(p) : p);
    }
}

