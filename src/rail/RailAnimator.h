#pragma once
#include <QEasingCurve>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>

#include <functional>

class RailThumb;
class Scheduler;

// The rail's animations on one timer: glides (offsets from where a thumbnail was seen, which add
// up when several are in flight, shown = model place + the sum of offsets), fading in and fading
// out. Time comes from the scheduler, so tests can drive it by hand.
class RailAnimator
{
public:
    static constexpr double glideSeconds = 0.34;
    static constexpr double appearSeconds = 0.22;
    static constexpr double leaveSeconds = 0.16;
    static constexpr double frameSeconds = 1.0 / 60;

    explicit RailAnimator(Scheduler &scheduler);
    ~RailAnimator();

    // Shows `thumb` offset by `from` and takes the offset away over glideSeconds.
    void glide(RailThumb *thumb, QPointF from);
    void appear(RailThumb *thumb);
    // Fades `thumb` out, then calls `done`.
    void leave(RailThumb *thumb, std::function<void()> done);
    void forget(RailThumb *thumb);

    // The offset at which `thumb` is seen now (glides in flight added up).
    QPointF offset(const RailThumb *thumb) const;
    bool isGliding(const RailThumb *thumb) const;
    int glidingCount() const;
    bool isRunning() const { return m_ticket != 0; }

    // One frame: moves and fades every animated thumbnail to where it is at the scheduler's now.
    void tick();

private:
    struct Glide {
        QPointF from;
        double start;
    };
    struct Fade {
        double start;
        double seconds;
        bool in;
        std::function<void()> done;
    };
    double progress(double start, double seconds) const;
    void schedule();
    void place(RailThumb *thumb);

    Scheduler &m_scheduler;
    QEasingCurve m_curve;
    QHash<const RailThumb *, QList<Glide>> m_glides;
    QHash<const RailThumb *, Fade> m_fades;
    QHash<const RailThumb *, QPointer<RailThumb>> m_alive;
    quint64 m_ticket = 0;
};
