#include "CropStop.h"

#include <algorithm>
#include <cmath>

namespace {

// One axis of limit(): d is the step, low and high the bounds' edges on that axis.
double limitAxis(bool moves, double d, double want, double got, double low, double high)
{
    if (!moves)
        return 0;
    if (d > 0 && want < got - CropStop::tolerance) {
        const double m = std::min((low + CropStop::band) - got, std::abs(d));
        return m < CropStop::smallestStep ? 0 : m;
    }
    if (d < 0 && want > got + CropStop::tolerance) {
        const double m = std::min(got - (high - CropStop::band), std::abs(d));
        return m < CropStop::smallestStep ? 0 : -m;
    }
    return d;
}

struct AxisPush {
    bool arms = false;
    bool withinBand = false;
    int jolt = 0; // asked for
};

AxisPush pushAxis(bool moves, double want, double got, double low, double high)
{
    AxisPush push;
    if (!moves)
        return push;
    const double d = want - got;
    push.arms = std::abs(d) < CropStop::armWithin;
    if (std::abs(d) > CropStop::pushPast) {
        if ((d < 0 && got < low + CropStop::band - CropStop::tolerance)
            || (d >= 0 && got > high - CropStop::band + CropStop::tolerance))
            push.withinBand = true;
        else
            push.jolt = d < 0 ? -1 : 1;
    }
    return push;
}

int take(const AxisPush &push, bool &armed)
{
    if (push.jolt == 0 || !armed)
        return 0;
    armed = false;
    return push.jolt;
}

} // namespace

QPointF CropStop::limit(QPointF step, const QRectF &bounds) const
{
    return QPointF(
        limitAxis(movesX, step.x(), want.x(), got.x(), bounds.left(), bounds.right()),
        limitAxis(movesY, step.y(), want.y(), got.y(), bounds.top(), bounds.bottom()));
}

QPoint CropStop::nudge(bool panning, Armed &armed, const QRectF &bounds) const
{
    const AxisPush x = pushAxis(movesX, want.x(), got.x(), bounds.left(), bounds.right());
    const AxisPush y = pushAxis(movesY, want.y(), got.y(), bounds.top(), bounds.bottom());
    if (x.arms)
        armed.x = true;
    if (y.arms)
        armed.y = true;
    if (panning || x.withinBand || y.withinBand)
        return QPoint(0, 0);
    return QPoint(take(x, armed.x), take(y, armed.y));
}
