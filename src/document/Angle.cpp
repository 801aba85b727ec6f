#include "Angle.h"

#include "Plane.h"

#include <cmath>

namespace Angle {

QPointF snap(QPointF fixed, QPointF moving, double stepDegrees)
{
    const double r = Plane::distance(fixed, moving);
    if (!(r > 0))
        return moving;
    const double theta = std::atan2(moving.y() - fixed.y(), moving.x() - fixed.x());
    const double sigma = stepDegrees * 3.141592653589793 / 180.0;
    // A negative step rounds to the same multiples as the positive one.
    if (sigma == 0 || !std::isfinite(sigma))
        return moving; // no step to round to
    const double snapped = sigma * std::round(theta / sigma);
    return QPointF(fixed.x() + r * std::cos(snapped), fixed.y() + r * std::sin(snapped));
}

} // namespace Angle
