// What reaches the canvas from the pointer and the keyboard through its document view, and the
// canvas's closing.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/Talk.h"
#include "capture/OverlayView.h"
#include "document/GripGeometry.h"
#include "platform/KeyTable.h"
#include "rail/PageRail.h"
#include "rail/RailEdge.h"

#include <QKeyEvent>

QPointF CanvasController::edgePanStep(double dx, double dy)
{
    QPointF step(dx, dy);
    // A crop edge held at the picture's end does not pan the view past it.
    if (drag.kind == DragKind::crop && cropStop && scrollView)
        step = cropStop->limit(step, panArea());
    edgePanning = step != QPointF();
    return step;
}

// Space released: the pan ends. X11 repeats a held key as release and press pairs; those
// releases keep the pan.
void CanvasController::keyUp(QKeyEvent *event)
{
    if (event->isAutoRepeat() || KeyTable::fromQtKey(event->key(), event->modifiers()) != KeyCode::Space)
        return;
    spaceHeld = false;
    isPanning = false;
    if (drag.kind == DragKind::pan)
        drag = Drag{};
    setCursor(CursorKind::crosshair);
}

// A modifier pressed or released mid-drag reshapes the arrow or box at once.
void CanvasController::flagsChanged(Qt::KeyboardModifiers flags)
{
    const Qt::KeyboardModifiers drawing = drawingFlags(flags);
    if (drag.kind == DragKind::arrow || drag.kind == DragKind::arrowEnd || drag.kind == DragKind::shape)
        dragStep(drawing, lastPointer);
}

void CanvasController::nudge(int keyCode, bool shift)
{
    const int dx = keyCode == KeyCode::Left ? -1 : keyCode == KeyCode::Right ? 1 : 0;
    const int dy = keyCode == KeyCode::Down ? 1 : keyCode == KeyCode::Left || keyCode == KeyCode::Right ? 0 : -1;
    const double step = shift ? 10 : 1;
    const Markup before = markup;
    if (!selection.isEmpty()) {
        markup.moveItems(selection, dx * step, dy * step);
    } else if (selectedShot) {
        markup.moveShot(*selectedShot, dx * step, dy * step);
    } else if (const auto index = lastCropHandle ? markup.shotIndex(lastCropHandle->shot) : std::nullopt) {
        // A crop edge moves by whole pixels of its picture.
        const Shot shot = markup.shots.at(*index);
        const auto found = images.constFind(shot.id);
        const double pixels = step / (found != images.constEnd() && found->pixelScale > 0 ? found->pixelScale : 1);
        markup.shots[*index].rect = resizedRect(lastCropHandle->handle, shot.rect, dx * pixels, dy * pixels,
                                                shot.frame(), 24 / magnification());
    } else {
        return;
    }
    recordUndo(before);
    refresh(false);
}

bool CanvasController::stepRail(RailGrid::Move move)
{
    if (rail)
        rail->clearPicks();
    const QList<PageRail::Row> rows = railRows();
    const qsizetype at = rows.indexOf(PageRail::Row::ofPage(currentPage));
    if (at < 0)
        return false;
    const std::optional<int> target = RailGrid::step(int(at), move, int(rows.size()));
    if (!target)
        return false;
    const PageRail::Row &row = rows.at(*target);
    if (row.isRecent()) {
        openRecent(row.recent);
    } else if (row.page != currentPage && row.page >= 0 && row.page < pages.size()) {
        saveCurrentPage();
        showPage(row.page, std::nullopt, true);
    }
    return true;
}

void CanvasController::spokenPointed()
{
    if (!spoken)
        return;
    spoken->pointed = true;
    if (Talk *t = talkController())
        t->placeBadge();
}

// The same close as the window's own: through the view that hosts the canvas.
void CanvasController::closeCanvas()
{
    if (auto *view = qobject_cast<OverlayView *>(host.data()))
        view->canvasClosedByUser();
}

std::optional<CursorKind> CanvasController::cursorKindOver(QWidget *hit) const
{
    if (!hit)
        return std::nullopt;
    if (hit == scrollView || hit == scrollView->viewport())
        return isPanning ? CursorKind::openHand : cursor;
    if (hit == railEdge) {
        switch (railEdge->arrows()) {
        case RailEdge::Arrows::both:
            return CursorKind::columnResize;
        case RailEdge::Arrows::left:
            return CursorKind::columnResizeLeft;
        case RailEdge::Arrows::right:
            return CursorKind::columnResizeRight;
        }
    }
    return std::nullopt;
}

std::optional<QCursor> CanvasController::cursorOver(QWidget *hit) const
{
    const std::optional<CursorKind> kind = cursorKindOver(hit);
    return kind ? std::optional<QCursor>(cursorFor(*kind)) : std::nullopt;
}
