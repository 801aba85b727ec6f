#pragma once
#include <QGraphicsItem>
#include <QImage>

// A shot's clip: it shows its children only inside the shot's rectangle.
class ShotClipItem : public QGraphicsItem
{
public:
    explicit ShotClipItem(const QRectF &rect, QGraphicsItem *parent = nullptr);
    void setRect(const QRectF &rect);
    QRectF boundingRect() const override { return m_rect; }
    QPainterPath shape() const override;
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

private:
    QRectF m_rect;
};

// A shot's picture, drawn from the picture's own pixels (never copied) over the picture's frame
// on the plane: only the part that is exposed, nearest-neighbour or smooth.
class ShotPictureItem : public QGraphicsItem
{
public:
    ShotPictureItem(const QImage &image, const QRectF &frame, QGraphicsItem *parent = nullptr);
    void setImage(const QImage &image, bool smooth);
    void setFrame(const QRectF &frame);
    const QImage &image() const { return m_image; }
    QRectF boundingRect() const override { return m_frame; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QImage m_image;
    QRectF m_frame;
    bool m_smooth = false;
};
