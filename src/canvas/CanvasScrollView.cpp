#include "canvas/CanvasScrollView.h"

#include "canvas/DocumentView.h"
#include "canvas/TextItemView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}
} // namespace

CanvasScrollView::CanvasScrollView(const QRect &frame, DocumentView *document, QWidget *parent)
    : QGraphicsView(parent)
    , m_document(document)
{
    setGeometry(frame);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundBrush(Qt::NoBrush);
    setStyleSheet(QStringLiteral("background: transparent"));
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setScene(document);
    setView(1, QPointF());
}

QPointF CanvasScrollView::documentPoint(QPointF viewPoint) const
{
    return viewportTransform().inverted().map(viewPoint);
}

QPointF CanvasScrollView::viewPoint(QPointF documentPoint) const
{
    return viewportTransform().map(documentPoint);
}

QRectF CanvasScrollView::visibleRect() const
{
    return viewportTransform().inverted().mapRect(QRectF(viewport()->rect()));
}

void CanvasScrollView::setView(double magnification, QPointF origin)
{
    const double m = std::clamp(magnification, minMagnification, maxMagnification);
    const bool scaled = m != m_magnification || transform().m11() != m;
    m_magnification = m;
    m_origin = origin;
    if (scaled)
        setTransform(QTransform::fromScale(m, m));
    reflect();
}

void CanvasScrollView::reflect()
{
    const double m = m_magnification;
    QScrollBar *h = horizontalScrollBar(), *v = verticalScrollBar();
    const int wantX = int(std::lround(m_origin.x() * m)), wantY = int(std::lround(m_origin.y() * m));
    h->setValue(wantX);
    v->setValue(wantY);
    // Where the document's edge stops the view, the origin is what the view shows.
    const QPointF shown = viewportTransform().inverted().map(QPointF(0, 0));
    if (h->value() != wantX)
        m_origin.setX(shown.x());
    if (v->value() != wantY)
        m_origin.setY(shown.y());
    emit viewChanged();
}

void CanvasScrollView::pan(double dx, double dy)
{
    setView(m_magnification, m_origin - QPointF(dx, dy) / m_magnification);
}

void CanvasScrollView::showDocumentRect(const QRectF &documentRect, const QRectF &viewRect)
{
    if (!(documentRect.width() > 0))
        return;
    const double m = std::clamp(viewRect.width() / documentRect.width(), minMagnification, maxMagnification);
    setView(m, documentRect.topLeft() - viewRect.topLeft() / m);
}

void CanvasScrollView::zoom(double magnification, QPointF viewPoint)
{
    const double m = std::clamp(magnification, minMagnification, maxMagnification);
    const QPointF d = m_origin + viewPoint / m_magnification;
    setView(m, d - viewPoint / m);
}

void CanvasScrollView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    reflect();
}

// ---- events, handed to the document ----

QPointF CanvasScrollView::eventPoint(const QPointF &viewPoint) const
{
    return viewportTransform().inverted().map(viewPoint);
}

QPoint CanvasScrollView::windowPoint(const QPointF &viewPoint) const
{
    return viewport()->mapTo(window(), viewPoint.toPoint());
}

void CanvasScrollView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    m_document->mouseDown(event->modifiers(), 1, eventPoint(event->position()));
    event->accept();
}

void CanvasScrollView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QGraphicsView::mouseDoubleClickEvent(event);
        return;
    }
    m_document->mouseDown(event->modifiers(), 2, eventPoint(event->position()));
    event->accept();
}

void CanvasScrollView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF p = eventPoint(event->position());
    if (event->buttons() & Qt::LeftButton)
        m_document->mouseDragged(event->modifiers(), p, event->position());
    else
        m_document->mouseMoved(this, windowPoint(event->position()), p);
    event->accept();
}

void CanvasScrollView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    m_document->mouseUp(event->modifiers(), eventPoint(event->position()));
    event->accept();
}

void CanvasScrollView::enterEvent(QEnterEvent *event)
{
    m_document->mouseEntered(this, windowPoint(event->position()), eventPoint(event->position()));
}

void CanvasScrollView::leaveEvent(QEvent *)
{
    m_document->mouseExited();
}

void CanvasScrollView::keyPressEvent(QKeyEvent *event)
{
    if (isModifierKey(event->key())) {
        m_document->flagsChanged(DocumentView::liveInput().modifiers());
        event->accept();
        return;
    }
    // A comment being edited takes its own keys first. Nothing else in the scene keeps the
    // keyboard: a text whose editing ended gives it back here. The view never moves itself on a
    // key (the scroll area's arrows would scroll behind the canvas's back).
    if (QGraphicsItem *item = scene()->focusItem()) {
        const auto *text = dynamic_cast<const TextItemView *>(item);
        if (text && text->isEditing()) {
            event->accept();
            QCoreApplication::sendEvent(scene(), event);
            if (event->isAccepted())
                return;
        } else {
            scene()->setFocusItem(nullptr);
        }
    }
    if (m_document->keyDown(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

void CanvasScrollView::keyReleaseEvent(QKeyEvent *event)
{
    if (isModifierKey(event->key())) {
        m_document->flagsChanged(DocumentView::liveInput().modifiers());
        event->accept();
        return;
    }
    m_document->keyUp(event);
    event->accept();
}

double CanvasScrollView::wheelZoomFactor(QPoint angleDelta)
{
    // One notch of the wheel is one zoom step; a touchpad's finer deltas are parts of a step.
    const int notch = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
    return std::pow(zoomStep, notch / 120.0);
}

void CanvasScrollView::wheelEvent(QWheelEvent *event)
{
    // Ctrl+wheel zooms about the pointer, as a pinch would.
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        const double factor = wheelZoomFactor(event->angleDelta());
        if (factor != 1)
            zoom(m_magnification * factor, event->position());
        event->accept();
        return;
    }
    // A wheel or touchpad scroll pans the canvas.
    QPointF delta = event->pixelDelta();
    if (delta.isNull())
        delta = QPointF(event->angleDelta()) / 8.0 * 2.0;
    if (event->modifiers().testFlag(Qt::ShiftModifier) && delta.x() == 0)
        delta = QPointF(delta.y(), 0);
    pan(delta.x(), delta.y());
    event->accept();
}

bool CanvasScrollView::viewportEvent(QEvent *event)
{
    // A touchpad pinch, where the platform reports one, zooms about the fingers.
    if (event->type() == QEvent::NativeGesture) {
        auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            zoom(m_magnification * (1 + gesture->value()), gesture->position());
            event->accept();
            return true;
        }
    }
    return QGraphicsView::viewportEvent(event);
}
