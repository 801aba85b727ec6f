#pragma once
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <optional>

// The small controls shown beside the comment under the pointer: a bin that deletes it and a
// grip by which it is dragged. Rectangles are in host coordinates (screen points).
namespace CommentControls {
enum class Part { trash, grip };

struct Layout
{
    QRectF trash;
    QRectF grip;
};

// Which control's grab zone holds the point. The zones reach beyond the circles: the grip's 12
// to the right, 6 up and 10 down, the bin's 6 to the left, up and down. The grip wins where
// the two meet.
std::optional<Part> hit(const Layout &layout, QPointF point);

// The picture of a control, scale pixels per point, drawn once per part, hover and scale.
QImage icon(Part part, bool hover, double scale);
// The cache key of an icon ("trash-false-2.0").
QString iconKey(Part part, bool hover, double scale);
// How many icons were drawn so far (the cache's misses).
int iconsDrawn();
} // namespace CommentControls
