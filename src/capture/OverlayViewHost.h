#pragma once
#include <QImage>
#include <QRectF>

class OverlayView;

// What a selection overlay asks of the capture it belongs to. The capture session implements
// it; the view holds the session weakly and checks that it still exists before every call.
class OverlayViewHost
{
public:
    // What becomes of the chosen area.
    enum class Mode {
        Canvas,    // it opens as a canvas on the overlay it was chosen on
        Clipboard, // it goes to the clipboard and the capture ends
        AddShot,   // it becomes a new page of the parent capture's canvas
    };

    virtual ~OverlayViewHost() = default;

    virtual Mode mode() const = 0;

    // An area or a window was chosen on view (rect in the view's points).
    virtual void commitArea(OverlayView *view, const QRectF &rect) = 0;
    // The clipboard results.
    virtual void copyArea(OverlayView *view, const QRectF &rect) = 0;
    virtual void copyWindowImage(const QImage &image, double scale) = 0;
    // The results of a further shot for an open canvas.
    virtual void addAreaShot(OverlayView *view, const QRectF &rect) = 0;
    virtual void addWindowShot(const QImage &image, double scale) = 0;

    // Escape: a further shot hides its overlays and brings its parent's canvas forward; any
    // other capture ends, giving the front back to the application that had it.
    virtual void hideOverlays() = 0;
    virtual OverlayViewHost *parentHost() const = 0;
    virtual void bringForward() = 0;
    virtual void end(bool reactivate) = 0;

    // The chosen overlay has become the canvas window.
    virtual void canvasOpened() {}
};
