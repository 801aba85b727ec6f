// What reaches the canvas from the pointer and the keyboard through its document view, and the
// canvas's closing.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/Talk.h"
#include "capture/CaptureSession.h"
#include "platform/KeyTable.h"

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

bool CanvasController::keyDown(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods.testFlag(Qt::ControlModifier))
        return keyEquivalent(event);
    const auto code = KeyTable::fromQtKey(event->key(), mods);
    if (code == KeyCode::Escape) {
        if (armed) {
            armed.reset();
        } else if (!selection.isEmpty() || selectedShot) {
            selection.clear();
            selectedShot.reset();
        } else {
            closeCanvas();
            return true;
        }
        refresh(false);
        return true;
    }
    return false;
}

bool CanvasController::keyEquivalent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (!mods.testFlag(Qt::ControlModifier) || mods.testFlag(Qt::MetaModifier))
        return false;
    // Ctrl+W closes the canvas as Escape does.
    if (event->key() == Qt::Key_W && !mods.testFlag(Qt::ShiftModifier) && !mods.testFlag(Qt::AltModifier)) {
        closeCanvas();
        return true;
    }
    return false;
}

void CanvasController::closeCanvas()
{
    QPointer<CaptureSession> s = session;
    if (!s)
        return;
    if (s->mode() == OverlayViewHost::Mode::AddShot) {
        QPointer<CaptureSession> parent = s->parentSession();
        s->hideOverlays();
        if (parent)
            parent->bringForward();
        return;
    }
    s->end(true);
}

std::optional<QCursor> CanvasController::cursorOver(QWidget *hit) const
{
    if (!hit)
        return std::nullopt;
    if (hit == scrollView || hit == scrollView->viewport())
        return cursorFor(isPanning ? CursorKind::openHand : cursor);
    if (hit == railEdge)
        return cursorFor(CursorKind::columnResize);
    return std::nullopt;
}
