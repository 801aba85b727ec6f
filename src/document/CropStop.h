#pragma once
#include <QPoint>
#include <QPointF>
#include <QRectF>

// The soft stop of a crop edge at the end of its picture: edge-panning is cut while the edge is
// held at the stop, and pushing clearly past the stop gives a one-point jolt once per approach.
struct CropStop {
    QPointF want; // where the pointer wants the dragged edge to be
    QPointF got; // where the edge is (held at the stop)
    bool movesX = false;
    bool movesY = false;

    // Per axis, whether the pointer has come within 4 pt of the edge since the last jolt.
    struct Armed {
        bool x = true;
        bool y = true;
        friend bool operator==(const Armed &, const Armed &) = default;
    };

    static constexpr double band = 40; // from the bounds' edges
    static constexpr double pushPast = 12;
    static constexpr double armWithin = 4;
    static constexpr double tolerance = 1;
    static constexpr double smallestStep = 0.5;

    // The scrolling step allowed, per axis: a step toward a held stop is cut to the room left
    // before the band (dropped below half a point); an axis the drag does not move gives 0.
    QPointF limit(QPointF step, const QRectF &bounds) const;
    // The jolt per axis (-1, 0 or +1), updating armed. While panning, or when a push past lies
    // within the band at the picture's end, no jolt (arming still happens).
    QPoint nudge(bool panning, Armed &armed, const QRectF &bounds) const;
};
