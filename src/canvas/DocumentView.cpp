#include "canvas/DocumentView.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/EdgeResizer.h"
#include "capture/OverlayWindow.h"
#include "platform/PointerButtons.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

namespace {
constexpr double edgeBand = 28;
constexpr double edgeDeepest = 24;
constexpr double edgeRate = 0.6;
constexpr int edgeTickMs = 16;

// The canvas views that the pointer may be over.
CanvasScrollView *scrollViewOf(const DocumentView *doc)
{
    const auto views = doc->views();
    return views.isEmpty() ? nullptr : qobject_cast<CanvasScrollView *>(views.first());
}
} // namespace

LayerItem::LayerItem(QGraphicsItem *parent) : QGraphicsItem(parent)
{
    setFlag(QGraphicsItem::ItemHasNoContents);
}

DocumentView::DocumentView(QSizeF size, double span, QObject *parent)
    : QGraphicsScene(parent)
    , m_reach(2 * size.width(), 2 * size.height())
{
    setSceneRect(-size.width() * (span - 1) / 2, -size.height() * (span - 1) / 2, size.width() * span,
                 size.height() * span);
    setItemIndexMethod(QGraphicsScene::NoIndex);
}

DocumentView::~DocumentView() = default;

DocumentView::LiveInput &DocumentView::liveInput()
{
    static LiveInput input{
        [] { return PointerButtons::leftButtonDown(); },
        [] { return QCursor::pos(); },
        [] { return QGuiApplication::queryKeyboardModifiers(); },
    };
    return input;
}

void DocumentView::include(const QRectF &rect)
{
    if (rect.isNull() || !std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width())
        || !std::isfinite(rect.height()))
        return;
    const QRectF g = rect.adjusted(-m_reach.width(), -m_reach.height(), m_reach.width(), m_reach.height());
    const QRectF bounds = sceneRect();
    if (bounds.contains(g))
        return;
    CanvasScrollView *view = scrollViewOf(this);
    const std::optional<QPointF> origin = view ? std::optional(view->origin()) : std::nullopt;
    setSceneRect(bounds.united(g));
    if (view && origin)
        view->setView(view->magnification(), *origin);
}

DocumentView::Target DocumentView::pointerTarget(QWidget *view, QPoint windowPoint) const
{
    QWidget *window = view ? view->window() : nullptr;
    if (!window)
        return {};
    // On a resize zone of the canvas window the window's edge handling owns the pointer.
    if (auto *w = qobject_cast<OverlayWindow *>(window); w && w->edges && EdgeResizer::edgeAt(w, windowPoint))
        return {};
    QWidget *hit = window->childAt(windowPoint);
    CanvasScrollView *scroll = scrollViewOf(this);
    if (!hit || !scroll || (hit != scroll->viewport() && hit != scroll))
        return {};
    // Over the document's own view: a comment's text or the canvas surface.
    const QPointF p = scroll->documentPoint(QPointF(scroll->viewport()->mapFrom(window, windowPoint)));
    // A comment takes the pointer only while it is being typed; over any other the pointer is on
    // the canvas, which lights the comment up.
    for (QGraphicsItem *item : items(p, Qt::IntersectsItemShape, Qt::DescendingOrder)) {
        if (const auto *text = dynamic_cast<TextItemView *>(item); text && text->isEditing())
            return {false, true};
    }
    return {true, false};
}

void DocumentView::hover(QWidget *view, QPoint windowPoint, QPointF point, bool wake)
{
    CanvasController *c = controller;
    if (!c)
        return;
    const Target t = pointerTarget(view, windowPoint);
    c->pointerMoved(t.onCanvas ? std::optional(point) : std::nullopt, t.onText ? std::optional(point) : std::nullopt,
                    wake);
}

void DocumentView::mouseMoved(QWidget *view, QPoint windowPoint, QPointF point)
{
    hover(view, windowPoint, point, true);
}

void DocumentView::mouseEntered(QWidget *view, QPoint windowPoint, QPointF point)
{
    hover(view, windowPoint, point, false);
}

void DocumentView::mouseExited()
{
    if (CanvasController *c = controller)
        c->pointerMoved(std::nullopt, std::nullopt, true);
}

void DocumentView::mouseDown(Qt::KeyboardModifiers flags, int clickCount, QPointF point)
{
    if (CanvasController *c = controller)
        c->mouseDown(flags, clickCount, point);
}

void DocumentView::mouseDragged(Qt::KeyboardModifiers flags, QPointF point, QPointF viewPoint)
{
    m_lastDrag = viewPoint;
    if (CanvasController *c = controller)
        c->mouseDragged(flags, point);
    edgeCheck(viewPoint);
}

void DocumentView::mouseUp(Qt::KeyboardModifiers flags, QPointF point)
{
    stopEdgeTimer();
    if (CanvasController *c = controller)
        c->mouseUp(flags, point);
}

bool DocumentView::keyDown(QKeyEvent *event)
{
    CanvasController *c = controller;
    return c && c->keyDown(event);
}

void DocumentView::keyUp(QKeyEvent *event)
{
    if (CanvasController *c = controller)
        c->keyUp(event);
}

void DocumentView::flagsChanged(Qt::KeyboardModifiers flags)
{
    if (CanvasController *c = controller)
        c->flagsChanged(flags);
}

// ---- edge panning ----

QPointF DocumentView::edgeDepth(QPointF p, QSizeF size)
{
    const auto depth = [](double v, double max) {
        if (v < edgeBand)
            return edgeBand - v;
        if (v > max - edgeBand)
            return (max - edgeBand) - v;
        return 0.0;
    };
    return {depth(p.x(), size.width()), depth(p.y(), size.height())};
}

QPointF DocumentView::edgeStep(QPointF p, QSizeF size)
{
    const auto step = [](double v, double max) {
        if (v < edgeBand)
            return std::min(edgeBand - v, edgeDeepest) * edgeRate;
        if (v > max - edgeBand) {
            const double d = v - (max - edgeBand);
            return d > edgeDeepest ? -edgeDeepest * edgeRate : -edgeRate * d;
        }
        return 0.0;
    };
    return {step(p.x(), size.width()), step(p.y(), size.height())};
}

bool DocumentView::edgeTimerRunning() const
{
    return m_edgeTimer && m_edgeTimer->isActive();
}

void DocumentView::edgeCheck(QPointF viewPoint)
{
    CanvasScrollView *view = scrollViewOf(this);
    if (!view)
        return;
    QPointF d = edgeDepth(viewPoint, QSizeF(view->viewport()->size()));
    if (CanvasController *c = controller)
        d = c->edgePanStep(d.x(), d.y());
    if (d.x() != 0 || d.y() != 0) {
        if (!edgeTimerRunning()) {
            if (!m_edgeTimer) {
                m_edgeTimer = new QTimer(this);
                m_edgeTimer->setInterval(edgeTickMs);
                connect(m_edgeTimer, &QTimer::timeout, this, &DocumentView::edgeTick);
            }
            m_edgeTimer->start();
        }
    } else {
        stopEdgeTimer();
    }
}

void DocumentView::stopEdgeTimer()
{
    if (m_edgeTimer)
        m_edgeTimer->stop();
}

void DocumentView::edgeTick()
{
    CanvasScrollView *view = scrollViewOf(this);
    const LiveInput &live = liveInput();
    if (!view || !view->window() || !live.leftButtonDown()) {
        stopEdgeTimer();
        return;
    }
    const QPointF p = QPointF(view->viewport()->mapFromGlobal(live.pointer()));
    QPointF step = edgeStep(p, QSizeF(view->viewport()->size()));
    CanvasController *c = controller;
    if (c)
        step = c->edgePanStep(step.x(), step.y());
    if (step.x() != 0 || step.y() != 0)
        view->pan(step.x(), step.y());
    else
        stopEdgeTimer();
    // The gesture follows the content that slides under the still pointer.
    if (c)
        c->mouseDragged(live.modifiers(), view->documentPoint(p));
}
