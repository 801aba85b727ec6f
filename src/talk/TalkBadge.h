#pragma once
#include "talk/TalkCanvas.h"

#include <QList>
#include <QWidget>

// The small listening badge shown beside the place being spoken into: a microphone and four
// level bars, newest on the right. Clicks pass through it to the canvas.
class TalkBadge final : public QWidget {
    Q_OBJECT
public:
    static constexpr int badgeWidth = 58;
    static constexpr int badgeHeight = 26;

    explicit TalkBadge(QWidget *parent = nullptr);

    // The levels shown, oldest first; all 0 at first.
    const QList<double> &levels() const { return m_levels; }
    // Shows `level` (clamped to 0...1) as the newest bar; the oldest drops out.
    void push(double level);
    // A bar's frame for a level, in the badge's coordinates.
    static QRectF barRect(int index, double level);
    // Where the badge goes for an anchor in a host of `bounds` size: above a box's left edge or
    // below right of a point, kept 8 pt inside the host; none for no anchor.
    static std::optional<QPoint> origin(const TalkAnchor &anchor, QSize bounds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<double> m_levels{0, 0, 0, 0};
};
