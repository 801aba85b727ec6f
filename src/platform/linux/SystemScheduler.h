#pragma once

#include "platform/Scheduler.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTimer;

// Scheduler on QTimer and QElapsedTimer (monotonic).
class SystemScheduler final : public QObject, public Scheduler {
public:
    SystemScheduler();
    double now() const override;
    Ticket after(double seconds, std::function<void()> work) override;
    void cancel(Ticket ticket) override;

private:
    QElapsedTimer m_clock;
    QHash<Ticket, QTimer *> m_timers;
    Ticket m_next = 1;
};
