#pragma once
#include <QPointF>

namespace Angle {
// The point at the same distance from fixed as moving, in the direction from fixed to moving
// rounded to the nearest whole multiple of stepDegrees (halves away from zero). A moving point
// at (or at no measurable distance from) the fixed point is returned unchanged.
QPointF snap(QPointF fixed, QPointF moving, double stepDegrees);
}
