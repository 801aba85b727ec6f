#include "TalkBadge.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
constexpr double margin = 8;

// One axis of the badge's place: at least the margin from both edges, the near one when the
// host is too small for both.
double clampAxis(double v, double size, double bound)
{
    v = std::max(v, margin);
    const double far = bound - size - margin;
    return far > margin ? std::min(v, far) : margin;
}

void paintMicrophone(QPainter &p, const QRectF &box)
{
    const QColor tint = QColor::fromRgbF(1.0f, 0.32f, 0.3f);
    const double cx = box.center().x();
    // The capsule.
    const QRectF body(cx - 3, box.top() + 1, 6, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawRoundedRect(body, 3, 3);
    // The holder around its lower half, the stem and the foot.
    QPen pen(tint, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath holder;
    holder.moveTo(cx - 5.5, box.top() + 6.5);
    holder.cubicTo(cx - 5.5, box.top() + 15, cx + 5.5, box.top() + 15, cx + 5.5, box.top() + 6.5);
    p.drawPath(holder);
    p.drawLine(QPointF(cx, box.top() + 13), QPointF(cx, box.bottom() - 1.5));
    p.drawLine(QPointF(cx - 3.5, box.bottom() - 1.2), QPointF(cx + 3.5, box.bottom() - 1.2));
}
} // namespace

TalkBadge::TalkBadge(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(badgeWidth, badgeHeight);
    setAccessibleName(QStringLiteral("Listening"));
    hide();
}

void TalkBadge::push(double level)
{
    m_levels.removeFirst();
    m_levels.append(std::clamp(std::isnan(level) ? 0.0 : level, 0.0, 1.0));
    update();
}

QRectF TalkBadge::barRect(int index, double level)
{
    const double b = std::round(11 * level + 3);
    return {29 + 5.5 * index, std::round((badgeHeight - (11 * level + 3)) * 0.5), 3, b};
}

std::optional<QPoint> TalkBadge::origin(const TalkAnchor &anchor, QSize bounds)
{
    double x = 0;
    double y = 0;
    if (const auto *box = std::get_if<QRectF>(&anchor)) {
        x = box->left();
        y = box->top() - badgeHeight - 6;
    } else if (const auto *point = std::get_if<QPointF>(&anchor)) {
        x = point->x() + 14;
        y = point->y() + 16;
    } else {
        return std::nullopt;
    }
    x = clampAxis(x, badgeWidth, bounds.width());
    y = clampAxis(y, badgeHeight, bounds.height());
    return QPoint(int(std::round(x)), int(std::round(y)));
}

void TalkBadge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.25), 0.5));
    p.setBrush(QColor::fromRgbF(0.08f, 0.08f, 0.08f, 0.86f));
    p.drawRoundedRect(frame, 13, 13);
    paintMicrophone(p, QRectF(8, 4, 16, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(1, 1, 1, 0.95f));
    for (int i = 0; i < m_levels.size(); ++i)
        p.drawRoundedRect(barRect(i, m_levels.at(i)), 1.5, 1.5);
}
