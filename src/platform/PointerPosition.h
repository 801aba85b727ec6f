#pragma once
#include <QPointF>

// Where the pointer is now, in global points (Qt's logical coordinates), to the device pixel: a
// pixel of a screen at scale 2 is half a point. Qt's own cursor position is rounded to whole
// points, which at any scale but 1 cannot name every pixel.
namespace PointerPosition {
QPointF global();
// A point in device pixels of the whole X screen in global points: on the screen whose device
// pixels hold it, its offset from that screen's corner divided by the screen's scale (Qt keeps
// a screen's corner at the same place in both). Unchanged when no screen holds it.
QPointF fromDevicePixels(QPointF pixels);
} // namespace PointerPosition
