#include "canvas/ShotItems.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

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
    : QGraphicsObject(parent)
    , m_image(image)
    , m_frame(frame)
{
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

ShotPictureItem::~ShotPictureItem()
{
    delete m_fader;
}

void ShotPictureItem::setImage(const QImage &image, bool smooth, bool fade)
{
    delete m_fader;
    m_previous = QImage();
    if (fade && !m_image.isNull() && !image.isNull()) {
        m_previous = m_image;
        m_previousSmooth = m_smooth;
        m_fade = 0;
        auto *fader = new QVariantAnimation;
        fader->setStartValue(0.0);
        fader->setEndValue(1.0);
        fader->setDuration(fadeMs);
        connect(fader, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
            m_fade = v.toDouble();
            update();
        });
        connect(fader, &QVariantAnimation::finished, this, [this] {
            m_previous = QImage();
            m_fade = 1;
            update();
        });
        m_fader = fader;
        fader->start(QAbstractAnimation::DeleteWhenStopped);
    }
    m_image = image;
    m_smooth = smooth;
    m_reduced = QImage();
    m_reducedSteps = 0;
    update();
}

void ShotPictureItem::setFrame(const QRectF &frame)
{
    if (frame == m_frame)
        return;
    prepareGeometryChange();
    m_frame = frame;
}

const QImage &ShotPictureItem::pictureFor(double devicePerPixel)
{
    // Halve while the next halving still has at least one pixel per device pixel.
    int steps = 0;
    while (devicePerPixel * (1 << (steps + 1)) <= 1 && (m_image.width() >> (steps + 1)) >= 1
           && (m_image.height() >> (steps + 1)) >= 1 && steps < 16)
        ++steps;
    if (steps == 0)
        return m_image;
    if (steps != m_reducedSteps || m_reduced.isNull()) {
        m_reduced = m_image.scaled(std::max(1, m_image.width() >> steps), std::max(1, m_image.height() >> steps),
                                   Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_reducedSteps = steps;
    }
    return m_reduced;
}

void ShotPictureItem::draw(QPainter *painter, const QRectF &target, const QImage &image, bool smooth)
{
    const double sx = image.width() / m_frame.width(), sy = image.height() / m_frame.height();
    const QRectF source((target.left() - m_frame.left()) * sx, (target.top() - m_frame.top()) * sy,
                        target.width() * sx, target.height() * sy);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter->drawImage(target, image, source);
}

void ShotPictureItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    if (m_image.isNull() || m_frame.isEmpty())
        return;
    // Only the exposed part of the frame, taken from the matching part of the picture.
    const QRectF target = option->exposedRect.intersected(m_frame);
    if (target.isEmpty())
        return;
    const QTransform &t = painter->deviceTransform();
    const double deviceScale = std::sqrt(std::abs(t.determinant()));
    const double devicePerPixel = deviceScale * m_frame.width() / m_image.width();
    const QImage &picture = pictureFor(devicePerPixel);
    const bool reduced = &picture != &m_image;
    if (!m_previous.isNull()) {
        draw(painter, target, m_previous, m_previousSmooth);
        painter->setOpacity(painter->opacity() * m_fade);
    }
    draw(painter, target, picture, m_smooth || reduced);
}
