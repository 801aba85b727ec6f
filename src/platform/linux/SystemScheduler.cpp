#include "platform/linux/SystemScheduler.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

SystemScheduler::SystemScheduler()
{
    m_clock.start();
}

double SystemScheduler::now() const
{
    return double(m_clock.nsecsElapsed()) / 1e9;
}

Scheduler::Ticket SystemScheduler::after(double seconds, std::function<void()> work)
{
    const Ticket ticket = m_next++;
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    const double ms = std::isfinite(seconds) ? std::max(0.0, seconds * 1000.0) : 0.0;
    timer->setInterval(int(std::min(ms, double(std::numeric_limits<int>::max()))));
    connect(timer, &QTimer::timeout, this, [this, ticket, timer, work = std::move(work)] {
        m_timers.remove(ticket);
        timer->deleteLater();
        work();
    });
    m_timers.insert(ticket, timer);
    timer->start();
    return ticket;
}

void SystemScheduler::cancel(Ticket ticket)
{
    if (QTimer *timer = m_timers.take(ticket)) {
        timer->stop();
        timer->deleteLater();
    }
}

Scheduler &Scheduler::system()
{
    // Made on first use and kept for the process; its timers live on the GUI thread.
    static SystemScheduler *scheduler = new SystemScheduler;
    return *scheduler;
}
