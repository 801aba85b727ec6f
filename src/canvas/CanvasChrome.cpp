#include "canvas/CanvasChrome.h"

#include "app/PreferenceReaders.h"

#include <QPaintEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace {
constexpr double hotScale = 1.5;
constexpr int growMs = 120;
constexpr double shadowRadius = 2.5;

QColor black(double alpha)
{
    return QColor::fromRgbF(0, 0, 0, float(alpha));
}

QColor accent(double alpha)
{
    QColor c = Prefs::accentColor();
    c.setAlphaF(float(alpha));
    return c;
}
} // namespace

CanvasChrome::CanvasChrome(const QRect &frame, QWidget *parent) : QWidget(parent)
{
    setGeometry(frame);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

CanvasChrome::~CanvasChrome() = default;

void CanvasChrome::dirty(const QRectF &rect)
{
    if (!rect.isEmpty())
        update(rect.translated(m_shake).toAlignedRect());
}

void CanvasChrome::set(std::optional<QPainterPath> &field, const std::optional<QPainterPath> &path, double width)
{
    if (field == path)
        return;
    QRectF area;
    if (field)
        area = field->controlPointRect();
    if (path)
        area = area.united(path->controlPointRect());
    field = path;
    const double m = width + 2;
    dirty(area.adjusted(-m, -m, m, m));
}

void CanvasChrome::setCropBorder(const std::optional<QPainterPath> &path)
{
    set(m_cropBorder, path, 1);
}

void CanvasChrome::setCanvasArea(const QRectF &area)
{
    if (area == m_canvasArea)
        return;
    m_canvasArea = area;
    update();
}

void CanvasChrome::setExportBox(const std::optional<QPainterPath> &path)
{
    set(m_exportBox, path, 1);
}

void CanvasChrome::setSelectionOutline(const std::optional<QPainterPath> &path)
{
    set(m_selectionOutline, path, 1.5);
}

void CanvasChrome::setMarquee(const std::optional<QPainterPath> &path)
{
    set(m_marquee, path, 1);
}

void CanvasChrome::setTextBox(const std::optional<QPainterPath> &path)
{
    set(m_textBox, path, 3);
}

void CanvasChrome::setTextHover(const std::optional<QPainterPath> &path)
{
    set(m_textHover, path, 1);
}

void CanvasChrome::setShake(QPointF offset)
{
    if (offset == m_shake)
        return;
    m_shake = offset;
    update();
}

// ---- grips ----

QRectF CanvasChrome::gripArea(const GripLayer &g) const
{
    const double r = g.mark.radius * std::max(g.scale, g.target) + shadowRadius + 2;
    return QRectF(g.mark.point - QPointF(r, r), QSizeF(2 * r, 2 * r));
}

void CanvasChrome::showGrips(const QList<GripMark> &grips, std::optional<int> hot)
{
    while (m_grips.size() < grips.size())
        m_grips.append(GripLayer{});
    for (qsizetype i = 0; i < m_grips.size(); ++i) {
        GripLayer &layer = m_grips[i];
        const QRectF before = layer.shown ? gripArea(layer) : QRectF();
        if (i >= grips.size()) {
            if (!layer.shown)
                continue;
            layer.shown = false;
            layer.hot = false;
            if (layer.grow)
                layer.grow->stop();
            layer.target = layer.scale = 1;
            dirty(before);
            continue;
        }
        const GripMark &mark = grips.at(i);
        const bool isHot = hot && *hot == i;
        const bool same = layer.shown && layer.hot == isHot && layer.mark.point == mark.point
                          && layer.mark.radius == mark.radius && layer.mark.accent == mark.accent;
        layer.mark = mark;
        layer.shown = true;
        layer.hot = isHot;
        const double t = isHot ? hotScale : 1;
        if (std::abs(layer.target - t) > 0.001) {
            // Grows from the size on screen, replacing a growth still running.
            if (layer.grow)
                layer.grow->stop();
            auto *grow = new QVariantAnimation(this);
            grow->setStartValue(layer.scale);
            grow->setEndValue(t);
            grow->setDuration(growMs);
            grow->setEasingCurve(QEasingCurve::OutCubic);
            const int index = int(i);
            connect(grow, &QVariantAnimation::valueChanged, this, [this, index](const QVariant &v) {
                if (index >= m_grips.size())
                    return;
                GripLayer &g = m_grips[index];
                const QRectF old = gripArea(g);
                g.scale = v.toDouble();
                dirty(old.united(gripArea(g)));
            });
            layer.target = t;
            layer.grow = grow;
            ++m_growths;
            grow->start(QAbstractAnimation::DeleteWhenStopped);
        }
        if (!same)
            dirty(before.united(gripArea(layer)));
    }
}

QList<double> CanvasChrome::shownGripSizes() const
{
    QList<double> sizes;
    for (const GripLayer &g : m_grips) {
        if (g.shown)
            sizes << 2 * g.mark.radius * g.target;
    }
    return sizes;
}

void CanvasChrome::paintGrip(QPainter &p, const GripLayer &g) const
{
    const double r = g.mark.radius * g.scale;
    const QPointF c = g.mark.point;
    // A soft shadow all round, then the white dot and its border.
    p.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        p.setBrush(black(0.32 / 4));
        const double s = r + shadowRadius * i / 3;
        p.drawEllipse(c, s, s);
    }
    p.setBrush(Qt::white);
    const bool strong = g.mark.accent || g.hot;
    const double width = strong ? 1.5 : 0.75;
    p.setPen(QPen(strong ? accent(1) : black(0.4), width));
    p.drawEllipse(c, r - width / 2, r - width / 2);
}

// ---- comment controls ----

void CanvasChrome::showCommentControls(const std::optional<QRectF> &trash, const std::optional<QRectF> &grip,
                                       std::optional<CommentControls::Part> hot)
{
    const double scale = window() && window()->windowHandle() ? devicePixelRatioF() : 2;
    const auto place = [&](std::optional<QRectF> &field, QImage &icon, const std::optional<QRectF> &rect,
                           CommentControls::Part part) {
        std::optional<QRectF> placed;
        QImage picture;
        if (rect) {
            placed = QRectF(QPointF(std::round(rect->x()), std::round(rect->y())), rect->size());
            picture = CommentControls::icon(part, hot == part, scale);
        }
        if (placed == field && picture.cacheKey() == icon.cacheKey())
            return;
        if (field)
            dirty(field->adjusted(-1, -1, 1, 1));
        if (placed)
            dirty(placed->adjusted(-1, -1, 1, 1));
        field = placed;
        icon = picture;
    };
    place(m_trash, m_trashIcon, trash, CommentControls::Part::trash);
    place(m_grip, m_gripIcon, grip, CommentControls::Part::grip);
}

std::optional<QPainterPath> CanvasChrome::textBoxPath(const std::optional<QRectF> &rect)
{
    if (!rect || rect->isNull() || !(rect->width() > 0) || !(rect->height() > 0))
        return std::nullopt;
    // std::round takes halves away from zero.
    const QRectF r(std::round(rect->x()) + 0.5, std::round(rect->y()) + 0.5, std::round(rect->width()),
                   std::round(rect->height()));
    const double radius = std::min({7.0, r.width() / 2, r.height() / 2});
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// ---- painting, bottom to top ----

void CanvasChrome::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_canvasArea.isNull())
        p.setClipRect(m_canvasArea);
    p.translate(m_shake);
    p.setBrush(Qt::NoBrush);
    if (m_exportBox) {
        QPen pen(black(0.28), 1);
        pen.setDashPattern({5, 4});
        p.setPen(pen);
        p.drawPath(*m_exportBox);
    }
    if (m_cropBorder) {
        p.setPen(QPen(black(0.22), 1));
        p.drawPath(*m_cropBorder);
    }
    if (m_textBox) {
        p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.5f), 3));
        p.drawPath(*m_textBox);
        p.setPen(QPen(black(0.16), 1));
        p.setBrush(black(0.025));
        p.drawPath(*m_textBox);
    }
    if (m_textHover) {
        p.setPen(QPen(accent(0.45), 1));
        p.setBrush(accent(0.07));
        p.drawPath(*m_textHover);
    }
    p.setBrush(Qt::NoBrush);
    if (m_selectionOutline) {
        p.setPen(QPen(accent(0.85), 1.5));
        p.drawPath(*m_selectionOutline);
    }
    if (m_marquee) {
        p.setBrush(accent(0.08));
        p.setPen(QPen(accent(0.8), 1));
        p.drawPath(*m_marquee);
    }
    for (const GripLayer &g : std::as_const(m_grips)) {
        if (g.shown)
            paintGrip(p, g);
    }
    if (m_trash && !m_trashIcon.isNull())
        p.drawImage(*m_trash, m_trashIcon);
    if (m_grip && !m_gripIcon.isNull())
        p.drawImage(*m_grip, m_gripIcon);
}
