#include "rail/RailAnimator.h"

#include "platform/Scheduler.h"
#include "rail/RailThumb.h"

#include <algorithm>

RailAnimator::RailAnimator(Scheduler &scheduler) : m_scheduler(scheduler), m_curve(QEasingCurve::BezierSpline)
{
    m_curve.addCubicBezierSegment(QPointF(0.2, 0.85), QPointF(0.25, 1.0), QPointF(1, 1));
}

RailAnimator::~RailAnimator()
{
    m_scheduler.cancel(m_ticket);
}

double RailAnimator::progress(double start, double seconds) const
{
    return std::clamp((m_scheduler.now() - start) / seconds, 0.0, 1.0);
}

void RailAnimator::glide(RailThumb *thumb, QPointF from)
{
    m_alive.insert(thumb, thumb);
    m_glides[thumb].append({from, m_scheduler.now()});
    place(thumb);
    schedule();
}

void RailAnimator::appear(RailThumb *thumb)
{
    m_alive.insert(thumb, thumb);
    m_fades.insert(thumb, {m_scheduler.now(), appearSeconds, true, {}});
    thumb->setOpacity(0);
    schedule();
}

void RailAnimator::leave(RailThumb *thumb, std::function<void()> done)
{
    m_alive.insert(thumb, thumb);
    const double from = thumb->opacity();
    // a thumbnail still fading in leaves from where it is
    m_fades.insert(thumb, {m_scheduler.now() - (1 - from) * leaveSeconds, leaveSeconds, false, std::move(done)});
    schedule();
}

void RailAnimator::forget(RailThumb *thumb)
{
    m_glides.remove(thumb);
    m_fades.remove(thumb);
    m_alive.remove(thumb);
}

QPointF RailAnimator::offset(const RailThumb *thumb) const
{
    QPointF sum;
    const auto it = m_glides.constFind(thumb);
    if (it == m_glides.cend())
        return sum;
    for (const Glide &g : *it) {
        const double t = progress(g.start, glideSeconds);
        sum += g.from * (1 - m_curve.valueForProgress(t));
    }
    return sum;
}

bool RailAnimator::isGliding(const RailThumb *thumb) const
{
    return m_glides.contains(thumb);
}

int RailAnimator::glidingCount() const
{
    return int(m_glides.size());
}

void RailAnimator::place(RailThumb *thumb)
{
    thumb->setShownOffset(offset(thumb));
}

void RailAnimator::schedule()
{
    if (m_ticket)
        return;
    m_ticket = m_scheduler.after(frameSeconds, [this] {
        m_ticket = 0;
        tick();
    });
}

void RailAnimator::tick()
{
    const double now = m_scheduler.now();
    for (auto it = m_glides.begin(); it != m_glides.end();) {
        RailThumb *thumb = m_alive.value(it.key());
        if (!thumb) {
            m_alive.remove(it.key());
            it = m_glides.erase(it);
            continue;
        }
        it->erase(std::remove_if(it->begin(), it->end(),
                                 [&](const Glide &g) { return now - g.start >= glideSeconds; }),
                  it->end());
        const bool over = it->isEmpty();
        if (over)
            it = m_glides.erase(it);
        else
            ++it;
        place(thumb);
    }
    QList<std::function<void()>> finished;
    for (auto it = m_fades.begin(); it != m_fades.end();) {
        RailThumb *thumb = m_alive.value(it.key());
        if (!thumb) {
            it = m_fades.erase(it);
            continue;
        }
        const double t = progress(it->start, it->seconds);
        thumb->setOpacity(it->in ? t : 1 - t);
        if (t >= 1) {
            if (it->done)
                finished.append(std::move(it->done));
            it = m_fades.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_alive.begin(); it != m_alive.end();) {
        if (!m_glides.contains(it.key()) && !m_fades.contains(it.key()))
            it = m_alive.erase(it);
        else
            ++it;
    }
    for (auto &done : finished)
        done();
    if (!m_glides.isEmpty() || !m_fades.isEmpty())
        schedule();
}
