#pragma once
#include "canvas/CommentControls.h"

#include <QList>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <optional>

class QVariantAnimation;

// The editing aids drawn over the document in host coordinates, so that they keep their size at
// every zoom: the shots' borders, the export box, the box of the comment being typed and of the
// comment under the pointer, the selection outline, the marquee, the grips and the two comment
// controls. It lies over the scroll view and lets every event through to the views below. It
// holds only what it was last told; the controller works out what to show.
class CanvasChrome : public QWidget
{
    Q_OBJECT
public:
    // One grip to show: its centre, the radius of its circle, and whether it is an item's (drawn
    // with the accent border whether hot or not).
    struct GripMark
    {
        QPointF point;
        double radius = 0;
        bool accent = false;
    };

    explicit CanvasChrome(const QRect &frame, QWidget *parent = nullptr);
    ~CanvasChrome() override;

    // Each aid is a path in this view's coordinates, or none to hide it.
    void setCropBorder(const std::optional<QPainterPath> &path);
    void setExportBox(const std::optional<QPainterPath> &path);
    // The canvas area (this view's coordinates): the aids are drawn inside it only, never under
    // the rail or the command sidebar.
    void setCanvasArea(const QRectF &area);
    void setSelectionOutline(const std::optional<QPainterPath> &path);
    void setMarquee(const std::optional<QPainterPath> &path);
    // The box (with its light rim) of the comment being typed.
    void setTextBox(const std::optional<QPainterPath> &path);
    // The box of the comment under the pointer.
    void setTextHover(const std::optional<QPainterPath> &path);

    // Shows these grips; the hot one grows to 1.5 times over 0.12 s from its size on screen, and
    // shrinks back the same way once it is no longer hot.
    void showGrips(const QList<GripMark> &grips, std::optional<int> hot);
    // Shows the bin and the grip of the comment controls (none hides one).
    void showCommentControls(const std::optional<QRectF> &trash, const std::optional<QRectF> &grip,
                             std::optional<CommentControls::Part> hot);

    // The path of a comment's box: the rect put on the half point so that 1-point lines are sharp,
    // rounded by at most 7. None for no rect or one without area.
    static std::optional<QPainterPath> textBoxPath(const std::optional<QRectF> &rect);

    // The width each grip shown grows or shrinks to (its width once its animation has run), in
    // order.
    QList<double> shownGripSizes() const;
    // How many grips were ever made, and how many growths were started (tests read them).
    int gripsMade() const { return int(m_grips.size()); }
    int growthsStarted() const { return m_growths; }
    // The comment controls' pictures as shown (null when hidden).
    QImage trashIcon() const { return m_trash ? m_trashIcon : QImage(); }
    QImage gripIcon() const { return m_grip ? m_gripIcon : QImage(); }
    std::optional<QRectF> trashRect() const { return m_trash; }
    std::optional<QRectF> gripRect() const { return m_grip; }
    const std::optional<QPainterPath> &exportBox() const { return m_exportBox; }
    const std::optional<QPainterPath> &selectionOutline() const { return m_selectionOutline; }
    const std::optional<QPainterPath> &marquee() const { return m_marquee; }
    const std::optional<QPainterPath> &textBox() const { return m_textBox; }
    const std::optional<QPainterPath> &textHover() const { return m_textHover; }

    // Moves the whole drawing by an offset (the jolt's shake).
    void setShake(QPointF offset);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct GripLayer
    {
        GripMark mark;
        bool shown = false;
        bool hot = false;
        double target = 1;   // the scale asked for
        double scale = 1;    // the scale on screen
        QPointer<QVariantAnimation> grow;
    };

    void set(std::optional<QPainterPath> &field, const std::optional<QPainterPath> &path, double width);
    void dirty(const QRectF &rect);
    QRectF gripArea(const GripLayer &g) const;
    void paintGrip(QPainter &p, const GripLayer &g) const;

    std::optional<QPainterPath> m_cropBorder;
    std::optional<QPainterPath> m_exportBox;
    QRectF m_canvasArea;
    std::optional<QPainterPath> m_selectionOutline;
    std::optional<QPainterPath> m_marquee;
    std::optional<QPainterPath> m_textBox;
    std::optional<QPainterPath> m_textHover;
    QList<GripLayer> m_grips;
    int m_growths = 0;
    std::optional<QRectF> m_trash;
    std::optional<QRectF> m_grip;
    QImage m_trashIcon;
    QImage m_gripIcon;
    QPointF m_shake;
};
