#pragma once
class OverlayWindow;
class QEvent;

// What resizes the canvas window by its edges: it sees every event of the window first and may
// take it, and it sets the cursor after the window has handled an event.
class WindowEdges
{
public:
    virtual ~WindowEdges() = default;
    // True when it took the event (the window then does nothing more with it).
    virtual bool handleEvent(QEvent *event, OverlayWindow *window) = 0;
    virtual void updateCursor(QEvent *event, OverlayWindow *window) = 0;
};
