#pragma once
#include "ArrowStyle.h"
#include "ShapePath.h"

#include <QPointF>

// The outline of an arrow as the canvas and the export both draw it: a barbed head with a notch
// at its back, united with a round-capped shaft that ends inside the head.
namespace ArrowShape {
// One closed figure: the union's own outline, so that stroking it draws no seam where the shaft
// meets the head. A style whose shaft cap would reach past the head's sides (no caller's style
// does) gives the head and the shaft as two figures, which fill the same area.
ShapePath path(QPointF tail, QPointF head, const ArrowStyle &style);
}
