#pragma once
#include "rail/RailRow.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class PageRail;

// One cell of the page rail: a page's or an earlier capture's picture on a white card with a soft
// shadow, a label capsule in its lower left corner, and a ring when picked or hovered. It paints
// everything itself and hands presses, drags, releases and right-clicks to its rail.
//
// The widget is larger than the card by `margin` on every side so that the shadow and rings have
// room; only the card takes clicks.
class RailThumb : public QWidget
{
    Q_OBJECT
public:
    // How a thumbnail looks. Pictures compare by identity (the image's shared data), never by
    // pixels, so a new image with the same pixels counts as a change.
    struct Look {
        QString badge;
        QImage picture; // null: the white card alone
        bool isCurrent = false;
        QString tip;
        friend bool operator==(const Look &a, const Look &b)
        {
            return a.badge == b.badge && a.isCurrent == b.isCurrent && a.tip == b.tip
                && samePicture(a.picture, b.picture);
        }
    };
    static bool samePicture(const QImage &a, const QImage &b)
    {
        return a.isNull() ? b.isNull() : (!b.isNull() && a.cacheKey() == b.cacheKey());
    }

    static constexpr int margin = 9;

    RailThumb(const QString &key, QWidget *parent = nullptr);

    // Takes the look and the picked state; does nothing when both are unchanged.
    void apply(const Look &look, bool picked);

    // The card's frame in the parent's coordinates as the layout placed it (the model frame), and
    // the offset at which it is seen while it glides; the widget sits at frame + offset.
    QRectF cardFrame() const { return m_frame; }
    void setCardFrame(const QRectF &frame);
    QPointF shownOffset() const { return m_offset; }
    void setShownOffset(QPointF offset);

    // True when a picture of `pixels` fills a card of `cell` (cut at the sides or top and bottom);
    // false when it is shown whole because it is relatively taller than the card by more than 3 %.
    static bool fills(QSize pixels, QSizeF cell);
    // Where the picture is drawn inside a card of `cell` by that rule.
    static QRectF pictureRect(QSize pixels, const QRectF &cell);

    // Set by the rail while the thumbnail fades out: it then takes no clicks.
    bool leaving() const { return m_leaving; }
    void setLeaving(bool on);

    // Painter opacity for fading in and out (1 when still).
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);

    bool hovered() const { return m_hovered; }
    bool hasHoverRing() const { return m_hoverRing; }

    QPointer<PageRail> rail;
    const QString key;
    RailRow row;
    Look look;
    bool isSelected = false;
    bool styled = false;
    int restyledForTest = 0;
    int pictureChangesForTest = 0;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF card() const; // in own coordinates
    bool onCard(QPointF p) const;
    void setHovered(bool on);
    void paintCapsule(QPainter &p, const QRectF &card);

    bool m_leaving = false;
    bool m_hovered = false;
    bool m_hoverRing = false;
    bool m_pressed = false;
    double m_opacity = 1;
    QRectF m_frame;
    QPointF m_offset;
    QImage m_scaled; // the picture scaled for the card, made once per picture and size
    QSize m_scaledFor;
};
