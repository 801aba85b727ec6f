#pragma once
#include "document/RGB.h"

#include <QPainterPath>
#include <QRectF>

#include <optional>

// The layers that draw one arrow, box or redaction on the canvas, with what the rest of the
// canvas needs of that drawing: the outline colour chosen for it, the area it covers (document
// points) and the area that counts as the mark for pointer hits.
class ShapeLayers
{
public:
    ShapeLayers() = default;
    ShapeLayers(const ShapeLayers &) = delete;
    ShapeLayers &operator=(const ShapeLayers &) = delete;
    virtual ~ShapeLayers() = default;

    std::optional<RGB> outline;
    QRectF drawnBounds;
    std::optional<QPainterPath> hitPath;
};
