// What reaches the canvas from the pointer and the keyboard through its document view, and the
// canvas's closing.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/Talk.h"
#include "capture/OverlayView.h"
#include "rail/RailEdge.h"

#include <QKeyEvent>

void CanvasController::mouseDown(Qt::KeyboardModifiers, int, QPointF point)
{
    lastPointer = point;
}

void CanvasController::mouseDragged(Qt::KeyboardModifiers, QPointF point)
{
    lastPointer = point;
}

void CanvasController::mouseUp(Qt::KeyboardModifiers, QPointF point)
{
    lastPointer = point;
    drag = Drag{};
}

QPointF CanvasController::edgePanStep(double dx, double dy)
{
    edgePanning = dx != 0 || dy != 0;
    return {dx, dy};
}

void CanvasController::keyUp(QKeyEvent *) {}

void CanvasController::flagsChanged(Qt::KeyboardModifiers) {}

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

std::optional<QCursor> CanvasController::cursorOver(QWidget *hit) const
{
    if (!hit)
        return std::nullopt;
    if (hit == scrollView || hit == scrollView->viewport())
        return cursorFor(isPanning ? CursorKind::openHand : cursor);
    if (hit == railEdge) {
        switch (railEdge->arrows()) {
        case RailEdge::Arrows::both:
            return cursorFor(CursorKind::columnResize);
        case RailEdge::Arrows::left:
            return cursorFor(CursorKind::columnResizeLeft);
        case RailEdge::Arrows::right:
            return cursorFor(CursorKind::columnResizeRight);
        }
    }
    return std::nullopt;
}
