#include "rail/RailEdge.h"

#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

const QString RailEdge::tip = QStringLiteral(
    "Drag to make the sidebar wider or narrower. Hold Ctrl and scroll over the thumbnails to size them.");

namespace {

// A resize cursor whose arrows point only the ways the rail can still go.
QCursor oneWayCursor(bool left, bool right)
{
    const int size = 32;
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const double cy = size / 2.0;
    // bar in the middle
    path.addRect(QRectF(size / 2.0 - 1.5, cy - 8, 3, 16));
    if (left) {
        QPolygonF head{{3, cy}, {11, cy - 6}, {11, cy + 6}};
        path.addPolygon(head);
        path.addRect(QRectF(10, cy - 1.5, 4.5, 3));
    }
    if (right) {
        QPolygonF head{{size - 3.0, cy}, {size - 11.0, cy - 6}, {size - 11.0, cy + 6}};
        path.addPolygon(head);
        path.addRect(QRectF(size - 14.5, cy - 1.5, 4.5, 3));
    }
    path.setFillRule(Qt::WindingFill);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.fillPath(path, Qt::black);
    p.end();
    return QCursor(pm, size / 2, size / 2);
}

} // namespace

RailEdge::RailEdge(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setToolTip(tip);
    updateCursor();
}

void RailEdge::setLimits(bool narrower, bool wider)
{
    if (narrower == m_narrower && wider == m_wider)
        return;
    m_narrower = narrower;
    m_wider = wider;
    updateCursor();
}

RailEdge::Arrows RailEdge::arrows() const
{
    if (!m_narrower)
        return Arrows::right;
    return m_wider ? Arrows::both : Arrows::left;
}

void RailEdge::updateCursor()
{
    if (SelfCheckFlag::isSet())
        return;
    switch (arrows()) {
    case Arrows::both: {
        static const QCursor both = oneWayCursor(true, true);
        setCursor(both);
        break;
    }
    case Arrows::left: {
        static const QCursor left = oneWayCursor(true, false);
        setCursor(left);
        break;
    }
    case Arrows::right: {
        static const QCursor right = oneWayCursor(false, true);
        setCursor(right);
        break;
    }
    }
}

QColor RailEdge::gripColor() const
{
    if (m_hot || m_held)
        return Prefs::accentColor();
    return QColor(0, 0, 0, 51);
}

QRect RailEdge::gripRect() const
{
    return QRect(7, int(std::round(height() / 2.0 - 22)), 4, 44);
}

void RailEdge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(gripColor());
    p.drawRoundedRect(QRectF(gripRect()), 2, 2);
}

void RailEdge::enterEvent(QEnterEvent *)
{
    if (!m_hot) {
        m_hot = true;
        update();
    }
    updateCursor();
}

void RailEdge::leaveEvent(QEvent *)
{
    if (m_hot) {
        m_hot = false;
        update();
    }
}

double RailEdge::xInParent(const QPointF &local) const
{
    return parentWidget() ? mapToParent(local).x() : 0.0;
}

void RailEdge::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_held = xInParent(event->position()) - m_railWidth;
    update();
    updateCursor();
}

void RailEdge::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_held)
        return;
    if (onWidth)
        onWidth(xInParent(event->position()) - *m_held, false);
    updateCursor();
}

void RailEdge::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_held && onWidth)
        onWidth(xInParent(event->position()) - *m_held, true);
    m_held.reset();
    if (!rect().contains(event->position().toPoint()))
        m_hot = false;
    update();
}

void RailEdge::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = onMenu ? onMenu() : nullptr;
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
