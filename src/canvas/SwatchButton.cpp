#include "canvas/SwatchButton.h"

#include <QPainter>

SwatchButton::SwatchButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(30, 30);
}

void SwatchButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const QRectF dot(centre.x() - 10, centre.y() - 10, 20, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(float(rgb.r), float(rgb.g), float(rgb.b)));
    p.drawEllipse(dot);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 64), 0.5));
    p.drawEllipse(dot.adjusted(0.25, 0.25, -0.25, -0.25));
    if (isChosen) {
        QColor ring = palette().color(QPalette::WindowText);
        ring.setAlphaF(0.75f);
        p.setPen(QPen(ring, 2));
        p.drawEllipse(dot.adjusted(-3.5, -3.5, 3.5, 3.5));
    }
}
