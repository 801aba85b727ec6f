#pragma once
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class OverlayWindow;

// Keeps one overlay window per screen from one capture to the next, with its backing store
// already written once, so that a capture shows its overlay without first paying for a new
// full-screen window; and the canvas window of a closed canvas, so that the next canvas on that
// screen opens in it (its memory already known to the X server) and its overlay goes straight
// back to the pool. Overlays are made by warm (at launch, and for a screen whose overlay became
// a canvas), re-sized when their screen changes and dropped when it goes away; a canvas window
// goes when its screen's visible frame changes. Main thread only.
class OverlayPool : public QObject
{
    Q_OBJECT
public:
    static OverlayPool &shared();

    // A window covering frame: the kept one of that screen, else a new one. It leaves the pool.
    OverlayWindow *take(const QRect &frame);
    // The kept canvas window whose content lies at content (global points), hidden, or none. It
    // leaves the pool.
    OverlayWindow *takeCanvas(const QRect &content);
    // Orders the window out and keeps it for the next capture when it is an overlay or a canvas
    // window of a screen that has none of its kind kept; otherwise deletes it once control is
    // back in the event loop. Its content view goes with the event loop's next turn either way.
    void give(OverlayWindow *window);
    // Makes and prepares an overlay for every screen that has none kept.
    void warm();
    // Warms once control is back in the event loop after delayMs (again only for screens that
    // lack a window then).
    void warmLater(int delayMs = 0);

    // How many overlay windows the pool has made (tests).
    int created() const { return m_created; }
    // The overlay windows kept now, and the canvas windows.
    QList<OverlayWindow *> kept() const;
    QList<OverlayWindow *> keptCanvases() const;
    // Where the canvas window of each screen puts its content (global points).
    static QList<QRect> canvasFrames();
    // Drops every kept window (tests, quitting).
    void clear();
    // Whether the pool keeps windows at all (off while the self-check runs, and in tests that
    // want every capture to start from nothing).
    bool enabled = true;

private:
    OverlayPool();
    OverlayWindow *make(const QRect &frame);
    void prepare(OverlayWindow *window);
    void screensChanged();
    void windowBecameCanvas();

    QList<QPointer<OverlayWindow>> m_kept;
    QList<QPointer<OverlayWindow>> m_canvases;
    int m_created = 0;
    bool m_warmPending = false;
};
