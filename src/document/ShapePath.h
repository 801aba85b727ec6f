#pragma once
#include <QList>
#include <QPointF>
#include <QRectF>

// An outline made of closed figures of straight and cubic segments, filled with the non-zero
// winding rule. The drawing code turns it into a QPainterPath (moveTo, lineTo, cubicTo,
// closeSubpath per figure); the core library stays free of QtGui.
struct ShapePath {
    struct Segment {
        enum Kind : quint8 { line, cubic };
        Kind kind = line;
        QPointF c1, c2; // control points of a cubic
        QPointF to;
    };
    struct Figure {
        QPointF start;
        QList<Segment> segments;
        bool closed = false;
    };

    QList<Figure> figures;

    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void cubicTo(QPointF c1, QPointF c2, QPointF to);
    void close();

    bool isEmpty() const { return figures.isEmpty(); }
    // The bounds of every point and control point.
    QRectF controlBounds() const;
    // Each figure as a polygon, cubics cut into curveSteps straight pieces.
    QList<QList<QPointF>> polygons(int curveSteps = 16) const;
    // Whether the filled outline covers the point (non-zero winding over polygons()).
    bool contains(QPointF p) const;
};
