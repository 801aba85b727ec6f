#pragma once
#include <QGraphicsView>
#include <QPointF>

class DocumentView;

// The view around the document: it zooms (magnification 0.05 to 8) and pans, shows no scroll
// bars and hands every pointer, key and modifier event to its document in document coordinates.
// The document point at its top-left corner is kept exactly; the picture itself scrolls by whole
// pixels, so zooming and panning back and forth never drifts.
class CanvasScrollView : public QGraphicsView
{
    Q_OBJECT
public:
    static constexpr double minMagnification = 0.05;
    static constexpr double maxMagnification = 8.0;
    // The factor of one zoom step in (Ctrl+=, one notch of Ctrl+wheel); 1 / zoomStep out.
    static constexpr double zoomStep = 1.25;
    // The zoom factor of a Ctrl+wheel turn (angle delta in eighths of a degree).
    static double wheelZoomFactor(QPoint angleDelta);

    CanvasScrollView(const QRect &frame, DocumentView *document, QWidget *parent = nullptr);

    DocumentView *document() const { return m_document; }
    double magnification() const { return m_magnification; }
    // The document point at the view's top-left corner.
    QPointF origin() const { return m_origin; }
    // The document point under a point of the view (as painted: whole-pixel scrolling included).
    QPointF documentPoint(QPointF viewPoint) const;
    QPointF viewPoint(QPointF documentPoint) const;
    // The document rectangle the view shows.
    QRectF visibleRect() const;

    // Moves the content by (dx, dy) view points: positive values reveal more of the document's
    // left and top.
    void pan(double dx, double dy);
    // Shows documentRect scaled to viewRect's width with its top-left corner at viewRect's
    // top-left corner. A document rectangle of no width changes nothing.
    void showDocumentRect(const QRectF &documentRect, const QRectF &viewRect);
    // Sets the magnification (clamped) keeping the document point under viewPoint where it is.
    void zoom(double magnification, QPointF viewPoint);
    // Sets the magnification (clamped) and the document point at the top-left corner.
    void setView(double magnification, QPointF origin);
    // Applies the kept origin again (after the document or the view changed size).
    void reflect();

signals:
    // The visible part of the document moved or changed its scale.
    void viewChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    QPointF eventPoint(const QPointF &viewPoint) const;
    QPoint windowPoint(const QPointF &viewPoint) const;

    DocumentView *m_document;
    double m_magnification = 1;
    QPointF m_origin;
};
