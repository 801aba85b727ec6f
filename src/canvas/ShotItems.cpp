#include "canvas/ShotItems.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

ShotClipItem::ShotClipItem(const QRectF &rect, QGraphicsItem *parent) : QGraphicsItem(parent), m_rect(rect)
{
    setFlag(QGraphicsItem::ItemClipsChildrenToShape);
}

void ShotClipItem::setRect(const QRectF &rect)
{
    if (rect == m_rect)
        return;
    prepareGeometryChange();
    m_rect = rect;
}

QPainterPath ShotClipItem::shape() const
{
    QPainterPath path;
    path.addRect(m_rect);
    return path;
}

ShotPictureItem::ShotPictureItem(const QImage &image, const QRectF &frame, QGraphicsItem *parent)
    : QGraphicsItem(parent)
    , m_image(image)
    , m_frame(frame)
{
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void ShotPictureItem::setImage(const QImage &image, bool smooth)
{
    m_image = image;
    m_smooth = smooth;
    update();
}

void ShotPictureItem::setFrame(const QRectF &frame)
{
    if (frame == m_frame)
        return;
    prepareGeometryChange();
    m_frame = frame;
}

void ShotPictureItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    if (m_image.isNull() || m_frame.isEmpty())
        return;
    // Only the exposed part of the frame, taken from the matching part of the picture.
    const QRectF target = option->exposedRect.intersected(m_frame);
    if (target.isEmpty())
        return;
    const double sx = m_image.width() / m_frame.width(), sy = m_image.height() / m_frame.height();
    const QRectF source((target.left() - m_frame.left()) * sx, (target.top() - m_frame.top()) * sy,
                        target.width() * sx, target.height() * sy);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, m_smooth);
    painter->drawImage(target, m_image, source);
}
