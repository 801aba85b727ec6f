#pragma once
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QPointer>
#include <QSizeF>

#include <functional>
#include <optional>

class CanvasController;
class QKeyEvent;
class QTimer;
class QWidget;

// A container in the document's stacking order (shots, redactions, shapes, plates): it draws
// nothing and only holds its children.
class LayerItem : public QGraphicsItem
{
public:
    explicit LayerItem(QGraphicsItem *parent = nullptr);
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

// The canvas surface: the scene that holds the shots, the marks and the comments of the current
// page, far larger than its content so that the picture can be panned well past its edges. It
// draws nothing itself. Its view (CanvasScrollView) hands every pointer, key and modifier event
// here in document coordinates, and the document passes them to its controller, held weakly; with
// the controller gone the events reach nobody.
class DocumentView : public QGraphicsScene
{
    Q_OBJECT
public:
    // A document span times the size, with (0, 0, size) in its middle; reach is twice the size.
    DocumentView(QSizeF size, double span, QObject *parent = nullptr);
    ~DocumentView() override;

    QPointer<CanvasController> controller;

    // The margin kept free around content when the document grows.
    QSizeF reach() const { return m_reach; }
    // Grows the document so that rect with reach around it lies inside, without moving what is
    // on screen. A null rectangle does nothing.
    void include(const QRectF &rect);

    // Where the pointer is, as hovering needs it: over the canvas surface itself, over a comment's
    // text, or neither (over a window edge, or a view lying over the canvas). host is the window's
    // content view; windowPoint the pointer in window coordinates.
    struct Target
    {
        bool onCanvas = false;
        bool onText = false;
    };
    Target pointerTarget(QWidget *view, QPoint windowPoint) const;

    // ---- Events from the view (points in document coordinates) ----
    void mouseMoved(QWidget *view, QPoint windowPoint, QPointF point);
    void mouseEntered(QWidget *view, QPoint windowPoint, QPointF point);
    void mouseExited();
    void mouseDown(Qt::KeyboardModifiers flags, int clickCount, QPointF point);
    // viewPoint is the pointer in the scroll view's coordinates, for the edge check.
    void mouseDragged(Qt::KeyboardModifiers flags, QPointF point, QPointF viewPoint);
    void mouseUp(Qt::KeyboardModifiers flags, QPointF point);
    bool keyDown(QKeyEvent *event);
    void keyUp(QKeyEvent *event);
    void flagsChanged(Qt::KeyboardModifiers flags);

    // ---- Panning at the window edge while a drag is held ----

    // The pan step of one tick for a pointer at p (scroll-view coordinates) in a view of size.
    static QPointF edgeStep(QPointF p, QSizeF size);
    // How far p lies within the edge band (positive near the left/top, negative near the
    // right/bottom); zero in the middle.
    static QPointF edgeDepth(QPointF p, QSizeF size);
    bool edgeTimerRunning() const;
    // One tick of the edge timer (the timer calls it every 16 ms).
    void edgeTick();

    // The live state the timer reads: whether the left button is down, the pointer in global
    // points and the modifiers. Tests replace them.
    struct LiveInput
    {
        std::function<bool()> leftButtonDown;
        std::function<QPoint()> pointer;
        std::function<Qt::KeyboardModifiers()> modifiers;
    };
    static LiveInput &liveInput();

private:
    void hover(QWidget *view, QPoint windowPoint, QPointF point, bool wake);
    void edgeCheck(QPointF viewPoint);
    void stopEdgeTimer();

    QTimer *m_edgeTimer = nullptr;
    std::optional<QPointF> m_lastDrag; // the last drag's pointer, scroll-view coordinates
    QSizeF m_reach;
};
