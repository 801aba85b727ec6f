#include "canvas/HoverTips.h"

#include "canvas/TipBubble.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

#include <limits>

namespace {
constexpr double distantPast = -std::numeric_limits<double>::infinity();
}

Scheduler *&HoverTips::scheduler()
{
    static Scheduler *s = &Scheduler::system();
    return s;
}

HoverTips::HoverTips(QWidget *bar) : QObject(bar), m_bar(bar), m_bubble(new TipBubble), m_hiddenAt(distantPast)
{
    m_bar->setMouseTracking(true);
    m_bar->installEventFilter(this);
    qApp->installEventFilter(this);
}

HoverTips::~HoverTips()
{
    cancelTimer();
    qApp->removeEventFilter(this);
    delete m_bubble;
}

void HoverTips::add(QWidget *control, std::function<QString()> text)
{
    for (Entry &tip : m_tips)
        if (tip.control == control) {
            tip.text = std::move(text);
            return;
        }
    m_tips.append({control, std::move(text)});
    control->setAttribute(Qt::WA_Hover);
    control->installEventFilter(this);
}

QWidget *HoverTips::controlAt(QPointF point) const
{
    for (const Entry &tip : m_tips) {
        QWidget *c = tip.control;
        if (!c || c->isHidden() || !m_bar->isAncestorOf(c))
            continue;
        const QRectF zone = QRectF(QRectF(c->rect()).translated(c->mapTo(m_bar, QPoint()))).adjusted(-1, -6, 1, 6);
        if (zone.contains(point))
            return c;
    }
    return nullptr;
}

bool HoverTips::bubbleShowing() const
{
    return m_showing && m_bubble && m_bubble->parentWidget() && !m_bubble->isHidden();
}

void HoverTips::hideBubble()
{
    m_showing = false;
    if (m_bubble)
        m_bubble->hide();
}

void HoverTips::cancelTimer()
{
    if (m_timer)
        scheduler()->cancel(m_timer);
    m_timer = 0;
}

void HoverTips::update(std::optional<QPointF> point)
{
    QWidget *control = point ? controlAt(*point) : nullptr;
    if (control == m_tipped)
        return;
    m_tipped = control;
    cancelTimer();
    if (!control) {
        if (bubbleShowing()) {
            m_hiddenAt = scheduler()->now();
            hideBubble();
        }
        return;
    }
    if (bubbleShowing() || scheduler()->now() - m_hiddenAt < recent) {
        show(control);
        return;
    }
    QPointer<HoverTips> self(this);
    QPointer<QWidget> target(control);
    m_timer = scheduler()->after(delay, [self, target] {
        if (!self)
            return;
        self->m_timer = 0;
        if (target && self->m_tipped == target)
            self->show(target);
    });
}

void HoverTips::show(QWidget *control)
{
    QWidget *host = m_bar->parentWidget();
    if (!host || !m_bubble || !control || !m_bar->isAncestorOf(control))
        return;
    for (const Entry &tip : std::as_const(m_tips)) {
        if (tip.control != control)
            continue;
        const QString text = tip.text ? tip.text() : QString();
        if (text.isEmpty())
            return;
        const QPoint left = control->mapTo(host, QPoint());
        const QRectF anchor(left.x(), m_bar->y(), control->width(), m_bar->height());
        m_bubble->show(text, host, anchor);
        m_showing = true;
        return;
    }
}

void HoverTips::hoverNow(QWidget *control)
{
    if (!control || !m_bar->isAncestorOf(control)) {
        update(std::nullopt);
        return;
    }
    update(QRectF(QRectF(control->rect()).translated(control->mapTo(m_bar, QPoint()))).center());
    if (!bubbleShowing()) {
        cancelTimer();
        show(control);
    }
}

std::optional<QString> HoverTips::textFor(const QWidget *control) const
{
    for (const Entry &tip : m_tips)
        if (control && tip.control == control)
            return tip.text ? tip.text() : QString();
    return std::nullopt;
}

std::optional<std::pair<QString, QRect>> HoverTips::shown() const
{
    if (!bubbleShowing())
        return std::nullopt;
    return std::make_pair(m_bubble->text(), m_bubble->geometry());
}

void HoverTips::inputSeen()
{
    cancelTimer();
    if (bubbleShowing()) {
        m_hiddenAt = distantPast;
        hideBubble();
    }
}

bool HoverTips::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto button = static_cast<QMouseEvent *>(event)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton)
            inputSeen();
        break;
    }
    case QEvent::KeyPress:
    case QEvent::Wheel:
        inputSeen();
        break;
    case QEvent::ParentChange:
        // Moved to another window: whatever showed is gone.
        if (watched == m_bar) {
            cancelTimer();
            if (bubbleShowing()) {
                m_hiddenAt = distantPast;
                hideBubble();
            }
            m_tipped = nullptr;
        }
        break;
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        // Every hover-enabled widget of the application passes here; only the toolbar's own
        // controls can be mapped into it.
        if (watched != m_bar && watched->isWidgetType()) {
            const auto *w = static_cast<QWidget *>(watched);
            if (m_bar->isAncestorOf(w))
                update(QPointF(w->mapTo(m_bar, static_cast<QHoverEvent *>(event)->position().toPoint())));
        }
        break;
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (watched == m_bar) {
            const QPointF at = event->type() == QEvent::MouseMove
                                   ? static_cast<QMouseEvent *>(event)->position()
                                   : static_cast<QEnterEvent *>(event)->position();
            update(at);
        }
        break;
    case QEvent::Leave:
        if (watched == m_bar)
            update(std::nullopt);
        break;
    default:
        break;
    }
    return false;
}
