#pragma once

#include "platform/Scheduler.h"

#include <algorithm>
#include <map>
#include <utility>

// A scheduler whose clock moves only when a test advances it. Work falls due in time order
// (ties in the order it was scheduled); work scheduled while advancing runs in the same call
// if it falls due before the new time.
class FakeScheduler final : public Scheduler {
public:
    explicit FakeScheduler(double start = 1000.0) : m_now(start) {}

    double now() const override { return m_now; }

    Ticket after(double seconds, std::function<void()> work) override
    {
        const Ticket ticket = m_next++;
        const double due = m_now + (seconds > 0 ? seconds : 0.0);
        m_pending.emplace(std::make_pair(due, ticket), std::move(work));
        return ticket;
    }

    void cancel(Ticket ticket) override
    {
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (it->first.second == ticket) {
                m_pending.erase(it);
                return;
            }
        }
    }

    // Moves the clock forward by `seconds`, running everything that falls due on the way.
    void advance(double seconds)
    {
        const double target = m_now + seconds;
        while (!m_pending.empty() && m_pending.begin()->first.first <= target) {
            auto node = m_pending.extract(m_pending.begin());
            m_now = std::max(m_now, node.key().first);
            node.mapped()();
        }
        m_now = target;
    }

    int pendingCount() const { return int(m_pending.size()); }
    // Seconds until the next pending work, or -1 with none.
    double nextDue() const { return m_pending.empty() ? -1 : m_pending.begin()->first.first - m_now; }

private:
    double m_now;
    Ticket m_next = 1;
    std::map<std::pair<double, Ticket>, std::function<void()>> m_pending;
};
