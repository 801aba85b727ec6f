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
// on the plane: only the part that is exposed. Enlarged (or at its own size) it is drawn
// nearest-neighbour, or smooth when asked; shown smaller it is drawn from a smoothly shrunk copy
// at exactly the size it takes on the device, made once per zoom level on a worker thread. Until
// that copy is there the picture (or the copy of another level) is drawn with linear filtering.
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
    // The size in device pixels the picture takes at a number of device pixels per picture pixel:
    // the size of its shrunk copy, or the picture's own size when it is not shown smaller.
    QSize shownSize(double devicePerPixel) const;
    // The shrunk copy made last (null before any), and how many have been made (tests, benchmarks).
    const QImage &shrunk() const { return m_shrunk; }
    int shrunkCopiesMade() const { return m_copiesMade; }
    // Whether a shrunk copy is being made.
    bool shrinking() const { return m_making; }
    QRectF boundingRect() const override { return m_frame; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void draw(QPainter *painter, const QRectF &exposed, const QImage &image, bool smooth);
    // Draws the shrunk copy pixel for pixel where the frame lies on the device; false when the
    // painter's transform is not a plain scale and move.
    bool drawShrunk(QPainter *painter, const QRectF &exposed);
    // Starts making the shrunk copy of the wanted size unless one is being made.
    void makeShrunk();

    QImage m_image;
    QRectF m_frame;
    bool m_smooth = false;
    QImage m_previous;   // the picture fading out
    bool m_previousSmooth = false;
    double m_fade = 1;   // how far the new picture has come in
    QPointer<QVariantAnimation> m_fader;
    QImage m_shrunk;     // m_image shrunk smoothly to the size of some zoom level
    QSize m_wanted;      // the shrunk size the last paint asked for
    bool m_making = false;
    quint64 m_generation = 0; // counts pictures, so that a copy of an earlier one is dropped
    int m_copiesMade = 0;
};
