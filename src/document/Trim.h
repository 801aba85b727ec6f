#pragma once
#include <QList>
#include <QRectF>

namespace Trim {
// The rectangle an exported picture covers: base (the shots' union) grown to take in the marks'
// rects that stick out of it by more than half a point, plus margin on the sides they stick out
// of. A mark sticking out above or below also keeps its margin left and right. Null and empty
// rects are ignored.
QRectF contentBounds(const QList<QRectF> &rects, const QRectF &base, double margin);
}
