#pragma once

#include <QtGlobal>

#include <functional>

// Time and delayed work, so that timed behaviour can be driven by hand in tests.
// `now()` is seconds on a monotonic clock; `after` runs `work` on the calling (GUI) thread once
// `seconds` have passed, unless the returned ticket is cancelled first. Tickets are never 0.
class Scheduler {
public:
    using Ticket = quint64;

    virtual ~Scheduler() = default;
    virtual double now() const = 0;
    virtual Ticket after(double seconds, std::function<void()> work) = 0;
    // Cancelling a ticket that has run, was cancelled or is 0 does nothing.
    virtual void cancel(Ticket ticket) = 0;

    // The process-wide scheduler on Qt's event loop and the monotonic clock.
    static Scheduler &system();
};
