#include "canvas/CanvasChrome.h"

#include "app/PreferenceReaders.h"

#include <QPainter>
#include <QPaintEvent>

CanvasChrome::CanvasChrome(const QRect &frame, QWidget *parent) : QWidget(parent)
{
    setGeometry(frame);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

void CanvasChrome::set(std::optional<QPainterPath> &field, const std::optional<QPainterPath> &path)
{
    if (field == path)
        return;
    QRectF dirty;
    if (field)
        dirty = field->boundingRect();
    if (path)
        dirty = dirty.united(path->boundingRect());
    field = path;
    update(dirty.adjusted(-3, -3, 3, 3).translated(m_shake).toAlignedRect());
}

void CanvasChrome::setCropBorder(const std::optional<QPainterPath> &path)
{
    set(m_cropBorder, path);
}

void CanvasChrome::setExportBox(const std::optional<QPainterPath> &path)
{
    set(m_exportBox, path);
}

void CanvasChrome::setSelectionOutline(const std::optional<QPainterPath> &path)
{
    set(m_selectionOutline, path);
}

void CanvasChrome::setMarquee(const std::optional<QPainterPath> &path)
{
    set(m_marquee, path);
}

void CanvasChrome::setShake(QPointF offset)
{
    if (offset == m_shake)
        return;
    m_shake = offset;
    update();
}

void CanvasChrome::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(m_shake);
    p.setBrush(Qt::NoBrush);
    if (m_cropBorder) {
        p.setPen(QPen(QColor(0, 0, 0, 46), 1));
        p.drawPath(*m_cropBorder);
    }
    if (m_exportBox) {
        QPen pen(QColor(0, 0, 0, 90), 1, Qt::DashLine);
        pen.setDashPattern({4, 3});
        p.setPen(pen);
        p.drawPath(*m_exportBox);
    }
    if (m_selectionOutline) {
        p.setPen(QPen(Prefs::accentColor(), 1.5));
        p.drawPath(*m_selectionOutline);
    }
    if (m_marquee) {
        QColor fill = Prefs::accentColor();
        fill.setAlphaF(0.12f);
        p.setBrush(fill);
        p.setPen(QPen(Prefs::accentColor(), 1));
        p.drawPath(*m_marquee);
    }
}
