// Undo and redo across the page's document steps and the canvas's page removals, and the zoom
// commands.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"
#include "document/Trim.h"

#include <QGraphicsTextItem>

#include <algorithm>

namespace {
constexpr double fitSide = 60;
constexpr double fitBottom = 150;
constexpr double thumbnailAfterEdit = 0.4;
} // namespace

void CanvasController::recordUndo(const Markup &before)
{
    const qsizetype steps = history.past.size();
    history.record(before, markup);
    if (history.past.size() > steps) {
        ++clock;
        stamps.append(clock);
        restored.reset();
    }
    updateToolbar();
    scheduleThumbnail(true, 0, thumbnailAfterEdit);
}

void CanvasController::undo()
{
    endEditing();
    if (!removed.isEmpty()) {
        const int c = removed.last().clock;
        if ((stamps.isEmpty() && c > 0) || (!stamps.isEmpty() && stamps.last() < c)) {
            undoRemoval();
            return;
        }
    }
    const std::optional<Markup> previous = history.undo(markup);
    if (!previous)
        return;
    if (!stamps.isEmpty())
        stamps.removeLast();
    restored.reset();
    markup = *previous;
    for (auto it = selection.begin(); it != selection.end();)
        it = hasItem(*it) ? std::next(it) : selection.erase(it);
    refresh(false);
    scheduleThumbnail(true, 0, thumbnailAfterEdit);
}

void CanvasController::redo()
{
    endEditing();
    if (restored && restored->clock == clock) {
        redoRemoval();
        return;
    }
    const std::optional<Markup> next = history.redo(markup);
    if (!next)
        return;
    ++clock;
    stamps.append(clock);
    markup = *next;
    for (auto it = selection.begin(); it != selection.end();)
        it = hasItem(*it) ? std::next(it) : selection.erase(it);
    refresh(false);
    scheduleThumbnail(true, 0, thumbnailAfterEdit);
}

void CanvasController::undoRemoval()
{
    if (removed.isEmpty())
        return;
    const Removal removal = removed.takeLast();
    saveCurrentPage();
    restoreRemovedEntries(removal);
    QList<QUuid> firstShots;
    std::optional<int> first;
    for (const Removal::RemovedPage &r : removal.pages) {
        const int at = std::clamp(r.index, 0, int(pages.size()));
        pages.insert(at, r.page);
        if (currentPage >= at)
            ++currentPage;
        if (!first)
            first = at;
        else if (*first >= at)
            ++*first;
        if (!r.page.markup.shots.isEmpty())
            firstShots << r.page.markup.shots.first().id;
    }
    if (first)
        showPage(*first, std::nullopt, false);
    else
        refreshRail(false);
    restored = Restored{firstShots, removal.recents, clock};
    railFocused = true;
    updateToolbar();
}

// ---- toolbar state ----

void CanvasController::updateToolbar()
{
    int shownColor = color, shownSize = size;
    QString shownFont = font;
    std::optional<Item> item;
    if (editing)
        item = markup.item(editing->itemID());
    if (!item)
        item = singleSelectedItem();
    if (item) {
        shownColor = item->color;
        shownSize = item->size;
        if (item->kind == ItemKind::text)
            shownFont = item->font;
    }
    const bool canUndo = !history.past.isEmpty() || editing || !removed.isEmpty();
    const bool canRedo = !history.future.isEmpty() || restored.has_value();
    if (!toolbar)
        return;
    toolbar->update(shownColor, shownSize, shownFont, armed, canUndo, canRedo,
                    scrollView ? scrollView->magnification() : 1.0);
    // The toolbar's width may have changed.
    layout();
}

// ---- zoom ----

QRectF CanvasController::itemBounds(const Item &item) const
{
    if (const auto shape = shapes.find(item.id); shape != shapes.end())
        return shape->second->drawnBounds;
    if (TextItemView *text = texts.value(item.id))
        return text->sceneBoundingRect();
    if (item.kind == ItemKind::arrow)
        return QRectF(item.tail, item.head).normalized();
    if (item.kind == ItemKind::text)
        return {};
    return item.rect;
}

void CanvasController::zoomToFit()
{
    if (!host)
        return;
    QList<QRectF> rects;
    for (const Item &item : markup.items) {
        const QRectF r = itemBounds(item);
        if (!r.isNull())
            rects << r;
    }
    const QRectF content = Trim::contentBounds(rects, markup.shotsBounds(), 0);
    if (!(content.width() > 0) || !(content.height() > 0))
        return;
    const QRectF v = visibleArea();
    const QRectF fit(v.left() + fitSide, fitSide, v.width() - 2 * fitSide, v.height() - fitSide - fitBottom);
    const double s = std::min({fit.height() / content.height(), fit.width() / content.width(),
                               CanvasScrollView::maxMagnification});
    QRectF target(0, 0, content.width() * s, content.height() * s);
    target.moveCenter(fit.center());
    scrollView->showDocumentRect(content, target.translated(-QPointF(scrollView->pos())));
}

void CanvasController::zoomToActualSize()
{
    if (!host || markup.shots.isEmpty())
        return;
    const QPointF centre = scrollView->viewPoint(markup.shotsBounds().center());
    scrollView->zoom(1, centre);
}

void CanvasController::zoomBy(double factor)
{
    if (!host)
        return;
    const QPointF centre = visibleArea().center() - QPointF(scrollView->pos());
    scrollView->zoom(scrollView->magnification() * factor, centre);
}
