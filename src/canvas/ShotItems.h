#pragma once
#include <QGraphicsObject>
#include <QImage>
#include <QPointer>

class QVariantAnimation;

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
// on the plane: only the part that is exposed, nearest-neighbour or smooth. Shown at less than
// half its size it draws from a smaller copy, made once per size step, rather than shrinking the
// whole picture on every paint.
class ShotPictureItem : public QGraphicsObject
{
    Q_OBJECT
public:
    static constexpr int fadeMs = 120;

    ShotPictureItem(const QImage &image, const QRectF &frame, QGraphicsItem *parent = nullptr);
    ~ShotPictureItem() override;
    // Shows another picture; with fade the new one comes in over the old in fadeMs.
    void setImage(const QImage &image, bool smooth, bool fade = false);
    void setFrame(const QRectF &frame);
    const QImage &image() const { return m_image; }
    bool smooth() const { return m_smooth; }
    bool fading() const { return !m_previous.isNull(); }
    // The picture drawn at a number of device pixels per picture pixel (tests).
    const QImage &pictureFor(double devicePerPixel);
    QRectF boundingRect() const override { return m_frame; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void draw(QPainter *painter, const QRectF &exposed, const QImage &image, bool smooth);

    QImage m_image;
    QRectF m_frame;
    bool m_smooth = false;
    QImage m_previous;   // the picture fading out
    bool m_previousSmooth = false;
    double m_fade = 1;   // how far the new picture has come in
    QPointer<QVariantAnimation> m_fader;
    QImage m_reduced;    // a smaller copy of m_image
    int m_reducedSteps = 0; // halvings in m_reduced
};
