#pragma once
#include "capture/OverlayViewHost.h"
#include "capture/ShotImage.h"
#include "capture/WindowPicture.h"

#include <QEvent>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class FlippedView;
class OverlayCanvas;
struct Markup;
class GlassLabel;
class PointerLabel;
class QLabel;
class QVariantAnimation;
class QWindow;

// The view that fills one display's overlay window during a capture. It shows the display as it
// was frozen, dimmed, and lets the user choose what to capture: drag a rectangle (Shift squares
// it, Alt grows it from the centre, Space moves it), click a window, or press F for the whole
// display. The choice goes to the capture session. All geometry is in points of the view
// (origin top left); pixels are points times pixelScale().
class OverlayView : public QWidget
{
    Q_OBJECT
public:
    enum class Stage { Selecting, Canvas };

    // Grabs the picture of one window by its id (the window list's number), or gives nothing.
    using WindowCapture = std::function<QFuture<std::optional<WindowPicture>>(quint32)>;

    // A view of the given size in points showing frozen. Without a pixel scale it is the
    // picture's pixel width divided by the view's width.
    OverlayView(QSize size, const QImage &frozen, std::optional<double> pixelScale = {},
                QWidget *parent = nullptr);
    ~OverlayView() override;

    // The session: a QObject that implements OverlayViewHost, held weakly.
    void setSession(QObject *session);
    OverlayViewHost *session() const;
    // How a clicked window's own picture is taken; without one, the window is cut out of the
    // frozen picture.
    void setWindowCapture(WindowCapture capture);

    // The on-screen windows over this display, front to back, in this view's points, with their
    // ids (kept only when there are as many ids as rectangles).
    void setWindows(const QList<QRectF> &rects, const QList<quint32> &ids);
    // Follows the pointer while nothing is dragged: highlights the window under it and shows
    // its pixel position next to it.
    void trackPointer(bool inside, QPointF point);
    // Hands a chosen rectangle to the session by its mode.
    void finish(const QRectF &rect);
    // A picked window's own picture, lying at rect in the view (its shadow included).
    void windowPicked(const QImage &image, double scale, const QRectF &rect);
    // The part of the frozen picture under a rectangle of the view; a null image when it is
    // less than one pixel wide or high.
    QImage croppedImage(const QRectF &rect) const;
    // A line of diagnostic text in the bottom-left corner; hidden when empty.
    void setDebugText(const QString &text);

    // When set (by scripted drags), used instead of the keyboard's live modifiers.
    void setTestModifiers(std::optional<Qt::KeyboardModifiers> modifiers);

    // ---- The canvas this view turns into (stage Canvas) ----

    // Where the canvas window goes and where its first shot lands, both from the chosen
    // rectangle, the overlay's frame and the screen's visible frame (global points), the title
    // bar's height, the rail width setting (0 when the history is empty) and the rail's thumbnail
    // size. content is the window's content frame; shot is the first shot's frame in it.
    struct CanvasFrames
    {
        QRectF content;
        QRectF shot;
    };
    static CanvasFrames canvasLayout(const QRectF &shot, const QRectF &old, const QRectF &visible,
                                     double titleBar, double railSetting, double thumb);
    // The canvas window's content frame on a screen of that visible frame (global points).
    static QRectF canvasContent(const QRectF &visible, double titleBar);
    // Moves the view from the overlay's window into the canvas window (the pool's one of that
    // screen, kept from an earlier canvas; else the overlay's own window turned in place) and
    // returns where the shot goes in it.
    QRectF becomeCanvasWindow(const QRectF &rect);
    // Makes the canvas over this view (once) and gives it the keyboard.
    OverlayCanvas *attachCanvas(const Markup &markup, const ShotImages &images, const QRectF &shotFrame);
    void revealCanvas();
    // The user closed the canvas window.
    void canvasClosedByUser();
    // The cursor at a point of the window (window coordinates), for the window's edge resizer.
    QCursor cursorAt(QPoint windowPoint) const;
    OverlayCanvas *canvas() const { return m_canvas.get(); }
    // Whether the frozen picture is painted (not once the view has become a canvas).
    bool showsFrozen() const { return m_showsFrozen; }

    Stage stage() const { return m_stage; }
    const QImage &frozen() const { return m_frozen; }
    double pixelScale() const { return m_pixelScale; }
    std::optional<QRectF> selection() const { return m_selection; }
    std::optional<QRectF> hovered() const { return m_hovered; }
    const QList<QRectF> &windowRects() const { return m_windowRects; }
    const QList<quint32> &windowIds() const { return m_windowIds; }
    bool isGrabbing() const { return m_grabbing; }
    bool isDragging() const { return m_drag.has_value(); }
    // The chrome: the size chip, the coordinate label and the debug line.
    GlassLabel *chip() const { return m_chip; }
    PointerLabel *coordLabel() const { return m_coordLabel; }
    QLabel *debugLabel() const { return m_debugLabel; }
    // Opacity of the dim, 0 to 1 while it fades in.
    double dimOpacity() const { return m_dimOpacity; }

    // Opens the canvas of opened or reopened pictures at once: the first shot centred on the
    // view (or at the given rectangle of the view), laid out as a chosen area of that size would be.
    void openPicturesCanvas(const Markup &markup, const ShotImages &images,
                            const std::optional<QRectF> &at = std::nullopt);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Drag
    {
        QPointF start;
        QPointF current;
        bool moved = false;
    };
    // What the painted chrome looks like; repaints cover the difference of two of these.
    struct Look
    {
        std::optional<QRectF> hole;      // the undimmed rectangle
        std::optional<QRectF> border;    // the selection's border (and handles)
        std::optional<QRectF> hover;     // the highlighted window
        bool operator==(const Look &) const = default;
    };

    // The pointer of a mouse event in this view to the device pixel. Qt Widgets rounds the
    // positions of its events to whole points; the window's own event, seen just before, has them
    // unrounded.
    QPointF exactPosition(const QMouseEvent *event) const;
    void watchWindow();
    void dragTo(QPointF q);
    void release(QPointF point);
    void modifiersChanged();
    void grabWindow(quint32 windowId, const QRectF &hovered);
    void cancel();
    // Clears the pointer's chrome before a choice is handed on and gives the session's mode
    // (canvas when the session is gone); nothing outside the selecting stage.
    std::optional<OverlayViewHost::Mode> prepareHandOver();
    // In canvas mode: the chosen area (with a picked window's own picture) becomes the canvas.
    void openCanvas(const QRectF &rect, const QImage &windowPicture = {}, double scale = 0);
    // Whether a drag or drop may bring pictures to the canvas.
    bool acceptsDrop(const QDropEvent *event) const;

    void setSelection(const std::optional<QRectF> &rect);
    void setHovered(const std::optional<QRectF> &rect);
    void showSizeChip(const QRectF &rect);
    void hideCoordLabel();
    void setLook(const Look &look);
    Qt::KeyboardModifiers modifiers() const;

    QImage m_frozen;
    double m_pixelScale = 1;
    QPointer<QObject> m_session;
    WindowCapture m_windowCapture;
    Stage m_stage = Stage::Selecting;
    std::optional<Drag> m_drag;
    std::optional<QRectF> m_selection;
    bool m_spaceHeld = false;
    std::optional<Qt::KeyboardModifiers> m_testModifiers;
    QList<QRectF> m_windowRects;
    QList<quint32> m_windowIds;
    bool m_grabbing = false;
    std::optional<QRectF> m_hovered;
    Look m_look;

    FlippedView *m_passive = nullptr;
    GlassLabel *m_chip = nullptr;
    PointerLabel *m_coordLabel = nullptr;
    QLabel *m_debugLabel = nullptr;
    QVariantAnimation *m_appear = nullptr;
    double m_dimOpacity = 0;
    bool m_showsFrozen = true;
    std::unique_ptr<OverlayCanvas> m_canvas;
    // The last mouse event of the window this view is in, with its position in the window.
    struct WindowPointer
    {
        QEvent::Type type = QEvent::None;
        quint64 timestamp = 0;
        QPointF position;
    };
    std::optional<WindowPointer> m_windowPointer;
    QPointer<QWindow> m_watched;
};
