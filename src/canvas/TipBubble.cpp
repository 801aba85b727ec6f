#include "canvas/TipBubble.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

TipBubble::TipBubble(QWidget *parent) : QWidget(parent), m_label(new QLabel(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    auto *shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, 56));
    shadow->setBlurRadius(10);
    shadow->setOffset(0, 1.5);
    setGraphicsEffect(shadow);
    QFont f = font();
    f.setPointSizeF(11.5 * 72.0 / std::max(1, logicalDpiY()));
    m_label->setFont(f);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setTextInteractionFlags(Qt::NoTextInteraction);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

QString TipBubble::text() const
{
    return m_label->text();
}

void TipBubble::show(const QString &text, QWidget *host, const QRectF &anchor)
{
    m_label->setText(text);
    const int limit = std::clamp(host->width() - 16 - 20, 80, 320);
    const QSize size = m_label->fontMetrics()
                           .boundingRect(QRect(0, 0, limit, 10000), Qt::TextWordWrap | Qt::AlignCenter, text)
                           .size();
    const int w = size.width() + 20;
    const int h = size.height() + 10;
    double x = std::max(anchor.center().x() - w / 2.0, 8.0);
    const double right = host->width() - w - 8.0;
    x = right <= 8 ? 8 : std::min(x, right);
    const double y = anchor.top() - 8 - h;
    if (parentWidget() != host)
        setParent(host);
    setGeometry(int(std::lround(x)), int(std::lround(y)), w, h);
    m_label->setGeometry(10, 5, w - 20, h - 10);
    raise();
    update();
    QWidget::show();
}

void TipBubble::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.fillPath(plate, palette().color(QPalette::Window));
    QColor separator = palette().color(QPalette::WindowText);
    separator.setAlphaF(0.15f);
    p.strokePath(plate, QPen(separator, 1));
}
