#include "Shot.h"

#include "Plane.h"

void Shot::moveBy(double dx, double dy)
{
    origin += QPointF(dx, dy);
    rect.translate(dx, dy);
}

bool operator==(const Shot &a, const Shot &b)
{
    return a.id == b.id && Plane::same(a.origin, b.origin) && Plane::same(a.imageSize, b.imageSize)
        && Plane::same(a.rect, b.rect);
}
