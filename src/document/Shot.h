#pragma once
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QUuid>

// One picture placed on the canvas plane. The pixels are kept by the document's owner under id.
struct Shot {
    QUuid id;
    QPointF origin; // where the picture's top-left corner lies on the plane
    QSizeF imageSize; // the picture's size in points
    QRectF rect; // the part of the plane the shot shows: the picture as cropped, in plane coordinates

    Shot() = default;
    Shot(const QUuid &id, QPointF origin, QSizeF imageSize, const QRectF &rect)
        : id(id), origin(origin), imageSize(imageSize), rect(rect)
    {
    }

    // The whole picture on the plane: (origin, imageSize).
    QRectF frame() const { return QRectF(origin, imageSize); }
    // Moves the picture and its crop together.
    void moveBy(double dx, double dy);

    // Exact comparison of all four fields.
    friend bool operator==(const Shot &a, const Shot &b);
};
