#include "rail/RailThumb.h"

#include "app/PreferenceReaders.h"
#include "rail/PageRail.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

QFont badgeFont()
{
    QFont f;
    f.setPixelSize(11); // points are logical pixels here
    f.setWeight(QFont::DemiBold);
    return f;
}

QColor withAlpha(QColor c, double alpha)
{
    c.setAlphaF(float(alpha));
    return c;
}

// A soft shadow of a rounded rectangle: a few widening translucent outlines.
void paintShadow(QPainter &p, const QRectF &r, double radius, double blur, QPointF offset, double opacity)
{
    p.save();
    p.setPen(Qt::NoPen);
    const int steps = std::max(3, int(blur / 1.5));
    for (int i = steps; i >= 1; --i) {
        const double grow = blur * i / steps;
        const double a = opacity * (1.0 - double(i - 1) / steps) / steps * 1.6;
        p.setBrush(QColor(0, 0, 0, std::clamp(int(a * 255), 0, 255)));
        const QRectF s = r.translated(offset).adjusted(-grow / 2, -grow / 2, grow / 2, grow / 2);
        p.drawRoundedRect(s, radius + grow / 2, radius + grow / 2);
    }
    p.restore();
}

} // namespace

RailThumb::RailThumb(const QString &key, QWidget *parent) : QWidget(parent), key(key)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
}

void RailThumb::setCardFrame(const QRectF &frame)
{
    const bool resized = frame.size() != m_frame.size();
    m_frame = frame;
    const QRectF shown = frame.translated(m_offset);
    setGeometry(QRect(int(std::floor(shown.x())) - margin, int(std::floor(shown.y())) - margin,
                      int(std::ceil(frame.width())) + 2 * margin, int(std::ceil(frame.height())) + 2 * margin));
    if (resized)
        update();
}

void RailThumb::setShownOffset(QPointF offset)
{
    if (offset == m_offset)
        return;
    m_offset = offset;
    setCardFrame(m_frame);
}

void RailThumb::setLeaving(bool on)
{
    m_leaving = on;
    setAttribute(Qt::WA_TransparentForMouseEvents, on);
    if (on)
        setHovered(false);
}

void RailThumb::setOpacity(double opacity)
{
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    update();
}

bool RailThumb::fills(QSize pixels, QSizeF cell)
{
    if (pixels.isEmpty())
        return false;
    return cell.width() * pixels.height() <= cell.height() * pixels.width() * 1.03;
}

QRectF RailThumb::pictureRect(QSize pixels, const QRectF &cell)
{
    if (pixels.isEmpty() || cell.isEmpty())
        return cell;
    const double sx = cell.width() / pixels.width();
    const double sy = cell.height() / pixels.height();
    const double s = fills(pixels, cell.size()) ? std::max(sx, sy) : std::min(sx, sy);
    const QSizeF size(pixels.width() * s, pixels.height() * s);
    return QRectF(cell.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

void RailThumb::apply(const Look &newLook, bool picked)
{
    if (styled && newLook == look && picked == isSelected)
        return;
    const bool pictureChanged = !styled || !samePicture(newLook.picture, look.picture);
    look = newLook;
    isSelected = picked;
    styled = true;
    ++restyledForTest;
    if (pictureChanged) {
        ++pictureChangesForTest;
        m_scaled = QImage();
    }
    if (picked)
        m_hoverRing = false;
    if (toolTip() != look.tip)
        setToolTip(look.tip);
    update();
}

QRectF RailThumb::card() const
{
    return QRectF(margin, margin, m_frame.width(), m_frame.height());
}

bool RailThumb::onCard(QPointF p) const
{
    return card().contains(p);
}

void RailThumb::setHovered(bool on)
{
    if (on == m_hovered)
        return;
    m_hovered = on;
    m_hoverRing = on && !isSelected;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

void RailThumb::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setOpacity(m_opacity);
    const QRectF c = card();
    const QColor accent = Prefs::accentColor();

    if (m_hoverRing) {
        p.setPen(QPen(withAlpha(accent, 0.45), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(c.adjusted(-4 + 0.75, -4 + 0.75, 4 - 0.75, 4 - 0.75), 15, 15);
    }
    if (isSelected) {
        const QRectF ring = c.adjusted(-5, -5, 5, 5);
        paintShadow(p, ring, 16, 6, QPointF(0, 0), 0.55 * accent.alphaF() * 0.6);
        p.setPen(QPen(accent, 2.5));
        p.setBrush(withAlpha(accent, 0.14));
        p.drawRoundedRect(ring.adjusted(1.25, 1.25, -1.25, -1.25), 16, 16);
    }
    // card and its shadow (deeper while hovered)
    if (m_hovered)
        paintShadow(p, c, 11, 8, QPointF(0, 3), 0.32);
    else
        paintShadow(p, c, 11, 5, QPointF(0, 1.5), 0.2);

    QPainterPath clip;
    clip.addRoundedRect(c, 11, 11);
    p.fillPath(clip, Qt::white);
    if (!look.picture.isNull()) {
        const QRectF target = pictureRect(look.picture.size(), c);
        const QSize want = (target.size() * devicePixelRatioF()).toSize();
        if (m_scaled.isNull() || m_scaledFor != want) {
            m_scaled = look.picture.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_scaled.setDevicePixelRatio(devicePixelRatioF());
            m_scaledFor = want;
        }
        p.save();
        p.setClipPath(clip);
        p.drawImage(target, m_scaled);
        p.restore();
    }
    p.setPen(QPen(QColor(0, 0, 0, 26), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(c.adjusted(0.25, 0.25, -0.25, -0.25), 11, 11);

    paintCapsule(p, c);
}

void RailThumb::paintCapsule(QPainter &p, const QRectF &c)
{
    const QFont font = badgeFont();
    const QFontMetricsF fm(font);
    const double labelWidth = fm.horizontalAdvance(look.badge);
    const double width = std::min(std::max(c.width() - 14, 20.0), std::max(labelWidth + 14, 20.0));
    const QRectF capsule(c.left() + 7, c.bottom() - 7 - 20, width, 20);
    paintShadow(p, capsule, 10, 3, QPointF(0, 1), 0.18);
    p.setPen(look.isCurrent ? Qt::NoPen : QPen(QColor(0, 0, 0, 20), 0.5));
    p.setBrush(look.isCurrent ? Prefs::accentColor() : QColor(255, 255, 255, 224));
    p.drawRoundedRect(capsule, 10, 10);
    p.setFont(font);
    p.setPen(look.isCurrent ? QColor(Qt::white) : QColor::fromRgbF(0.12f, 0.12f, 0.12f));
    const QString text = fm.elidedText(look.badge, Qt::ElideRight, std::max(0.0, capsule.width() - 8));
    p.drawText(capsule, Qt::AlignCenter, text);
}

bool RailThumb::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip && !onCard(mapFromGlobal(QCursor::pos())))
        return true;
    return QWidget::event(e);
}

void RailThumb::mousePressEvent(QMouseEvent *event)
{
    if (!onCard(event->position()) || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = true;
    if (rail)
        rail->pressThumb(this, event->scenePosition(), event->modifiers());
}

void RailThumb::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        setHovered(onCard(event->position()));
        return;
    }
    if (rail)
        rail->dragThumb(this, event->scenePosition());
}

void RailThumb::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = false;
    if (rail)
        rail->releaseThumb(this);
    setHovered(onCard(event->position()));
}

void RailThumb::leaveEvent(QEvent *)
{
    setHovered(false);
}

void RailThumb::wheelEvent(QWheelEvent *event)
{
    if (rail)
        rail->wheel(event, this);
    else
        event->ignore();
}

void RailThumb::contextMenuEvent(QContextMenuEvent *event)
{
    if (!onCard(event->pos()) || !rail) {
        event->ignore();
        return;
    }
    QMenu *menu = rail->menuFor(this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
