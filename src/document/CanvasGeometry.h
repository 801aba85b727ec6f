#pragma once
#include "PixelSampler.h"
#include "RGB.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>

// What lies under a point of the canvas: the shots' pictures as layers (the last on top) over
// the canvas colour. Used to pick outline colours and to orient drawn arrows.
struct CanvasGeometry {
    struct Layer {
        QRectF rect; // where the shot sits on the canvas
        QRectF imageFrame; // what the shot's whole picture would cover, same coordinates
        std::shared_ptr<const PixelSampler> sampler; // none: the layer has no picture
    };

    QList<Layer> layers;
    RGB canvasColor;

    CanvasGeometry() = default;
    CanvasGeometry(const QList<Layer> &layers, const RGB &canvasColor)
        : layers(layers), canvasColor(canvasColor)
    {
    }
    // A geometry of one layer.
    CanvasGeometry(const QRectF &rect, const QRectF &imageFrame,
                   std::shared_ptr<const PixelSampler> sampler, const RGB &canvasColor)
        : layers{Layer{rect, imageFrame, std::move(sampler)}}, canvasColor(canvasColor)
    {
    }

    QList<QRectF> rects() const;
    // Whether any layer's rect contains the point (right and bottom edges excluded).
    bool contains(QPointF p) const;
    // The colour at a point: sampled from the top-most layer whose rect holds it, or the canvas
    // colour (also when that layer has no picture; lower layers are not consulted).
    RGB color(QPointF p) const;
    // The colours at count evenly spaced points from one point to the other, both included.
    QList<RGB> colors(QPointF from, QPointF to, int count) const;

    // The outline of an arrow of colour mark: 28 colours along it decide.
    std::optional<RGB> arrowOutline(const RGB &mark, QPointF tail, QPointF head) const;
    // The outline of an area mark over rect, sampled on a grid of up to 17 × 7 points.
    std::optional<RGB> outline(const RGB &mark, const QRectF &rect) const;

    // The colour busyness around a point: a 5 × 5 grid at steps of radius / 2.
    double busyness(QPointF p, double radius) const;

    struct Oriented {
        QPointF tail;
        QPointF head;
        bool kept; // the drawn order stayed: head = second
    };
    // Turns a drawn arrow (first = drag start, second = drag end) so that its head lands on a
    // shot (ArrowDirection::keepsOrder with factor 4; pictures' busyness decides between two
    // ends on shots when any layer has a picture).
    Oriented orientArrow(std::optional<bool> fallback, QPointF first, QPointF second,
                         double radius) const;
};
