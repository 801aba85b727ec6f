#pragma once
#include <QGraphicsItem>

// The layers that draw one arrow, box or redaction on the canvas: they hang from the shapes (or
// redactions) container and leave it with this object.
class ShapeLayers
{
public:
    ShapeLayers() = default;
    ShapeLayers(const ShapeLayers &) = delete;
    ShapeLayers &operator=(const ShapeLayers &) = delete;
    virtual ~ShapeLayers() = default;
};
