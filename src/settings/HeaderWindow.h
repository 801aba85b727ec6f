#pragma once
#include <QPoint>
#include <QPointer>
#include <QQuickView>

#include <functional>

// A small borderless, see-through window that rides on another window's top edge (the mascot
// over the settings and welcome windows). It never takes the focus; it follows its parent when
// the parent moves. A click calls onClick; a drag moves the parent instead, without a click.
class HeaderWindow : public QQuickView
{
    Q_OBJECT
public:
    // size in points; inset from the parent's left edge; rise = how far it reaches above the
    // parent's top edge (its frame's top, the title bar included).
    HeaderWindow(QQmlEngine *engine, QWindow *parent, QSize size, int inset, int rise);

    QWindow *parentWindow() const { return m_parent; }
    // Puts the window at its place on the parent and shows it.
    void place();
    QRect placement() const;

    std::function<void()> onClick;
    // Where the last press was, in this window's coordinates.
    QPoint pressPosition() const { return mapFromGlobal(m_pressGlobal); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointer<QWindow> m_parent;
    int m_inset;
    int m_rise;
    bool m_pressed = false;
    bool m_dragged = false;
    QPoint m_pressGlobal;
    QPoint m_parentAtPress;
};
