#include "canvas/ShotItems.h"

#include "canvas/SmoothShrink.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QThreadPool>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {
// At fewer device pixels per picture pixel than this the picture is shown smaller.
constexpr double shrinkBelow = 1 - 1e-6;
} // namespace

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
    m_shrunk = QImage();
    m_wanted = QSize();
    ++m_generation;
    update();
}

void ShotPictureItem::setFrame(const QRectF &frame)
{
    if (frame == m_frame)
        return;
    prepareGeometryChange();
    m_frame = frame;
}

QSize ShotPictureItem::shownSize(double devicePerPixel) const
{
    if (m_image.isNull() || !(devicePerPixel < shrinkBelow))
        return m_image.size();
    return {std::max(1, int(std::lround(m_image.width() * devicePerPixel))),
            std::max(1, int(std::lround(m_image.height() * devicePerPixel)))};
}

void ShotPictureItem::makeShrunk()
{
    if (m_making || m_wanted.isEmpty() || m_shrunk.size() == m_wanted)
        return;
    m_making = true;
    QPointer<ShotPictureItem> self(this);
    const quint64 generation = m_generation;
    QThreadPool::globalInstance()->start([self, generation, image = m_image, size = m_wanted] {
        // Each pixel of the copy is a weighted mean of the picture's pixels under it.
        const QImage copy = SmoothShrink::shrunk(image, size);
        QMetaObject::invokeMethod(qApp, [self, generation, copy] {
            if (!self)
                return;
            self->m_making = false;
            if (generation == self->m_generation) {
                self->m_shrunk = copy;
                ++self->m_copiesMade;
                self->update();
            }
            // The zoom (or the picture) may have changed meanwhile.
            self->makeShrunk();
        });
    });
}

void ShotPictureItem::draw(QPainter *painter, const QRectF &target, const QImage &image, bool smooth)
{
    const double sx = image.width() / m_frame.width(), sy = image.height() / m_frame.height();
    const QRectF source((target.left() - m_frame.left()) * sx, (target.top() - m_frame.top()) * sy,
                        target.width() * sx, target.height() * sy);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter->drawImage(target, image, source);
}

bool ShotPictureItem::drawShrunk(QPainter *painter, const QRectF &exposed)
{
    const QTransform &t = painter->deviceTransform();
    if (t.type() > QTransform::TxScale || t.m11() <= 0 || t.m22() <= 0)
        return false;
    // The copy's pixels lie on whole device pixels from the frame's rounded top-left corner on.
    const QRectF frameOnDevice = t.mapRect(m_frame);
    const QPoint origin(int(std::lround(frameOnDevice.left())), int(std::lround(frameOnDevice.top())));
    const QRect part = t.mapRect(exposed).toAlignedRect().translated(-origin) & m_shrunk.rect();
    if (part.isEmpty())
        return true;
    const QRectF target = t.inverted().mapRect(QRectF(part.translated(origin)));
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->drawImage(target, m_shrunk, QRectF(part));
    return true;
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
    const bool shrinks = devicePerPixel < shrinkBelow;
    if (!m_previous.isNull()) {
        draw(painter, target, m_previous, m_previousSmooth || shrinks);
        painter->setOpacity(painter->opacity() * m_fade);
    }
    if (!shrinks) {
        draw(painter, target, m_image, m_smooth);
        return;
    }
    m_wanted = shownSize(devicePerPixel);
    if (m_shrunk.size() == m_wanted && drawShrunk(painter, target))
        return;
    makeShrunk();
    // Meanwhile: linear filtering from the copy of another zoom level, or from the picture.
    draw(painter, target, m_shrunk.isNull() ? m_image : m_shrunk, true);
}
