#include "capture/EdgeResizer.h"

#include "app/SelfCheckFlag.h"
#include "capture/OverlayWindow.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace {
// The pure edge rules count y upwards; Qt counts it downwards. Flipping the sign of y turns one
// into the other for screen frames; a point in a window is measured from the window's bottom.
QRectF up(const QRectF &r)
{
    return QRectF(r.x(), -(r.y() + r.height()), r.width(), r.height());
}

QRect down(const QRectF &r)
{
    return QRectF(r.x(), -(r.y() + r.height()), r.width(), r.height()).toAlignedRect();
}

Qt::CursorShape cursorFor(WindowEdge edge)
{
    switch (edge) {
    case WindowEdge::left:
    case WindowEdge::right:
        return Qt::SizeHorCursor;
    case WindowEdge::top:
    case WindowEdge::bottom:
        return Qt::SizeVerCursor;
    case WindowEdge::topLeft:
    case WindowEdge::bottomRight:
        return Qt::SizeFDiagCursor;
    case WindowEdge::topRight:
    case WindowEdge::bottomLeft:
        return Qt::SizeBDiagCursor;
    }
    return Qt::ArrowCursor;
}

bool resizable(const OverlayWindow *window)
{
    return window->isTitled() && window->minimumSize() != window->maximumSize() && !window->isFullScreen();
}

bool hasModalChild(const OverlayWindow *window)
{
    const QWidget *modal = QApplication::activeModalWidget();
    return modal && modal != window && modal->parentWidget() && modal->parentWidget()->window() == window;
}

QScreen *screenOf(const OverlayWindow *window)
{
    if (QScreen *screen = window->screen())
        return screen;
    return QGuiApplication::primaryScreen();
}
} // namespace

std::optional<WindowEdge> EdgeResizer::edgeAt(const OverlayWindow *window, QPointF p)
{
    if (!resizable(window) || SelfCheckFlag::isSet() || hasModalChild(window))
        return std::nullopt;
    const QSizeF size = window->size();
    return EdgeGrab::edge(QPointF(p.x(), size.height() - p.y()), size, EdgeGrab::canvas());
}

QRect EdgeResizer::innerRect(const QWidget *view, const QRect &rect)
{
    const auto *window = qobject_cast<const OverlayWindow *>(view->window());
    if (!window || !resizable(window))
        return rect;
    const EdgeGrab grab = EdgeGrab::canvas();
    const QRectF inner = EdgeGrab::innerRect(window->size(), grab.inside, grab.top);
    // y up in the window: the bottom band is below inner, the top band above it.
    const QRect innerDown(int(inner.x()), int(grab.top), int(inner.width()), int(inner.height()));
    const QRect inView(view->mapFrom(window, innerDown.topLeft()), innerDown.size());
    const QRect cut = rect & inView;
    return cut.isEmpty() ? QRect(0, 0, 0, 0) : cut;
}

bool EdgeResizer::handleEvent(QEvent *event, OverlayWindow *window)
{
    const QEvent::Type type = event->type();
    if (m_resizing) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        switch (type) {
        case QEvent::MouseMove:
            dragTo(window, mouse->globalPosition(), mouse->modifiers() & Qt::AltModifier);
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton)
                endResize(window);
            return true;
        case QEvent::MouseButtonPress:
            return false; // a second press during the resize is not ours
        case QEvent::MouseButtonDblClick:
            endResize(window);
            break;
        default:
            return false;
        }
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPointF p = mouse->position();
    const std::optional<WindowEdge> edge = edgeAt(window, p);
    if (!edge)
        return false;
    if (!QRectF(QPointF(0, 0), QSizeF(window->size())).contains(p))
        return false;
    if (!window->isActiveWindow()) {
        window->raise();
        window->activateWindow();
    }
    if (type == QEvent::MouseButtonDblClick)
        extendToScreen(window, *edge);
    else
        beginResize(window, *edge, mouse->globalPosition());
    return true;
}

void EdgeResizer::beginResize(OverlayWindow *window, WindowEdge edge, QPointF globalStart)
{
    m_edge = edge;
    m_start = globalStart;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    m_startFrame = frame;
    m_margins = QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
    const QSize min = window->minimumSize();
    m_minimum = QSize(min.width() + m_margins.left() + m_margins.right(),
                      min.height() + m_margins.top() + m_margins.bottom());
    QScreen *screen = screenOf(window);
    m_noLimit = !screen;
    m_limit = screen ? -double(screen->availableGeometry().top()) : 0;
    m_resizing = true;
    showEdgeCursor(window, edge);
}

void EdgeResizer::dragTo(OverlayWindow *window, QPointF global, bool fromCentre)
{
    const QPointF delta(global.x() - m_start.x(), -(global.y() - m_start.y()));
    const QRectF next = Edge::resize(m_edge, fromCentre, m_limit, m_noLimit, up(QRectF(m_startFrame)), delta,
                                     QSizeF(m_minimum));
    const QRect client = down(next).marginsRemoved(m_margins);
    if (client != window->geometry())
        window->setGeometry(client);
    showEdgeCursor(window, m_edge);
}

void EdgeResizer::endResize(OverlayWindow *window)
{
    m_resizing = false;
    setCursor(window);
}

void EdgeResizer::extendToScreen(OverlayWindow *window, WindowEdge edge)
{
    QScreen *screen = screenOf(window);
    if (!screen)
        return;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    const QRectF grown = Edge::extend(edge, up(QRectF(frame)), up(QRectF(screen->availableGeometry())));
    window->setGeometry(down(grown).marginsRemoved(margins));
    setCursor(window);
}

void EdgeResizer::setCursor(OverlayWindow *window)
{
    const QPoint p = window->mapFromGlobal(QCursor::pos());
    if (const auto edge = edgeAt(window, p)) {
        showEdgeCursor(window, *edge);
        return;
    }
    m_shown.reset();
    if (window->rect().contains(p))
        showViewCursor(window, p);
    else if (window->windowHandle())
        window->windowHandle()->setCursor(Qt::ArrowCursor);
}

void EdgeResizer::updateCursor(QEvent *event, OverlayWindow *window)
{
    const QEvent::Type type = event->type();
    const bool leftUp = type == QEvent::MouseButtonRelease
                        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    if (!(leftUp || type == QEvent::MouseMove || type == QEvent::Enter || type == QEvent::Leave))
        return;
    if (m_resizing)
        return;
    const QPoint p = window->mapFromGlobal(QCursor::pos());
    const bool inside = window->rect().contains(p);
    const bool key = window->isActiveWindow();
    if (inside || key) {
        if (const auto edge = edgeAt(window, p)) {
            showEdgeCursor(window, *edge);
            return;
        }
        if (!m_shown)
            return;
        m_shown.reset();
        if (inside) {
            showViewCursor(window, p);
            return;
        }
    } else {
        if (!m_shown)
            return;
        m_shown.reset();
    }
    if (key && window->windowHandle())
        window->windowHandle()->setCursor(Qt::ArrowCursor);
}

void EdgeResizer::showEdgeCursor(OverlayWindow *window, WindowEdge edge)
{
    m_shown = edge;
    if (window->windowHandle())
        window->windowHandle()->setCursor(cursorFor(edge));
}

// Back to the cursor of the view under the pointer.
void EdgeResizer::showViewCursor(OverlayWindow *window, QPoint point)
{
    const QWidget *view = window->childAt(point);
    if (window->windowHandle())
        window->windowHandle()->setCursor(view ? view->cursor() : window->cursor());
}
