#pragma once
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;

// The grip at the rail's inner edge: dragging it asks for a new rail width; the canvas clamps and
// applies it. The grab offset is kept, so the edge follows the pointer where it was taken.
class RailEdge : public QWidget
{
    Q_OBJECT
public:
    explicit RailEdge(QWidget *parent = nullptr);

    // The rail's current width and whether it can still become narrower or wider; kept up to date
    // by the canvas. The two flags choose the arrows of the resize cursor.
    double railWidth() const { return m_railWidth; }
    void setRailWidth(double width) { m_railWidth = width; }
    bool narrower() const { return m_narrower; }
    bool wider() const { return m_wider; }
    void setLimits(bool narrower, bool wider);

    // A width asked for by the drag; done is true once, on release.
    std::function<void(double width, bool done)> onWidth;
    // The grip's context menu, made anew for each right-click; the grip deletes it when closed.
    std::function<QMenu *()> onMenu;

    // The resize cursor's arrows: both ways when narrower and wider, left only when only narrower,
    // right only when not narrower.
    enum class Arrows { both, left, right };
    Arrows arrows() const;

    bool hot() const { return m_hot; }
    std::optional<double> held() const { return m_held; }
    QColor gripColor() const;
    QRect gripRect() const;

    static const QString tip;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    double xInParent(const QPointF &local) const;
    void updateCursor();

    double m_railWidth = 184;
    bool m_narrower = false;
    bool m_wider = true;
    std::optional<double> m_held;
    bool m_hot = false;
};
