#include "HeaderWindow.h"

#include "platform/Compositing.h"
#include "platform/WindowFrame.h"

#include <QMouseEvent>

HeaderWindow::HeaderWindow(QQmlEngine *engine, QWindow *parent, QSize size, int inset, int rise)
    : QQuickView(engine, nullptr), m_parent(parent), m_inset(inset), m_rise(rise)
{
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
             | Qt::NoDropShadowWindowHint);
    setTransientParent(parent);
    setColor(Qt::transparent);
    setResizeMode(QQuickView::SizeRootObjectToView);
    resize(size);
    setMinimumSize(size);
    setMaximumSize(size);
    if (parent) {
        connect(parent, &QWindow::xChanged, this, [this] { if (isVisible()) place(); });
        connect(parent, &QWindow::yChanged, this, [this] { if (isVisible()) place(); });
        connect(parent, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                hide();
        });
    }
}

QRect HeaderWindow::placement() const
{
    if (!m_parent)
        return geometry();
    QRect frame = m_parent->frameGeometry();
    // Until the window manager has framed the parent (its first show), Qt knows no frame: the
    // title bar the manager puts on is counted from the start.
    if (frame == m_parent->geometry() && !(m_parent->flags() & Qt::FramelessWindowHint))
        frame.setTop(frame.top() - qRound(WindowFrame::titleBarHeight(m_parent->screen())));
    return QRect(QPoint(frame.left() + m_inset, frame.top() - m_rise), size());
}

void HeaderWindow::place()
{
    // Without a compositing manager the see-through parts would be drawn black over the
    // desktop: the window stays away then.
    if (!Compositing::isActive()) {
        hide();
        return;
    }
    setGeometry(placement());
    if (!isVisible())
        showNormal();
}

void HeaderWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragged = false;
    m_pressGlobal = event->globalPosition().toPoint();
    if (m_parent) {
        m_parentAtPress = m_parent->position();
        m_parent->requestActivate();
        m_parent->raise();
        raise();
    }
    event->accept();
}

void HeaderWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !m_parent)
        return;
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragged && delta.manhattanLength() < 3)
        return;
    m_dragged = true;
    m_parent->setPosition(m_parentAtPress + delta);
    event->accept();
}

void HeaderWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (!m_dragged && onClick)
        onClick();
    event->accept();
}
