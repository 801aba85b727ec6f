#pragma once
#include "capture/WindowEdges.h"
#include "document/WindowEdge.h"

#include <QPointF>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

// Resizes the canvas window from generous zones inside its edges (10 pt at the sides and the
// bottom, 6 pt at the top, corners 26 pt long, reaching 4 pt outside) instead of the window
// manager's thin borders. It sees every event of the window first: a left press in a zone starts
// a resize that follows the pointer (the X server's implicit grab keeps the motion coming when the
// pointer leaves the window), Alt held grows both sides from the centre, and a double click
// extends the window to its screen's available area on the sides the zone moves. Only the titled
// canvas window is ever resized, never a selection overlay and never while the self-check runs.
class EdgeResizer final : public WindowEdges
{
public:
    bool handleEvent(QEvent *event, OverlayWindow *window) override;
    void updateCursor(QEvent *event, OverlayWindow *window) override;

    // The zone under point (window coordinates, y down), or none.
    static std::optional<WindowEdge> edgeAt(const OverlayWindow *window, QPointF point);
    // The part of rect (view coordinates) outside the window's zones, so that views set their own
    // cursors only where no zone shows its resize cursor; other windows' views get rect unchanged.
    static QRect innerRect(const QWidget *view, const QRect &rect);

    std::optional<WindowEdge> shown() const { return m_shown; }
    bool resizing() const { return m_resizing; }

private:
    void beginResize(OverlayWindow *window, WindowEdge edge, QPointF globalStart);
    void dragTo(OverlayWindow *window, QPointF global, bool fromCentre);
    void endResize(OverlayWindow *window);
    void extendToScreen(OverlayWindow *window, WindowEdge edge);
    void setCursor(OverlayWindow *window);
    void showEdgeCursor(OverlayWindow *window, WindowEdge edge);
    void showViewCursor(OverlayWindow *window, QPoint point);

    std::optional<WindowEdge> m_shown; // the edge whose resize cursor was set last
    bool m_resizing = false;
    // The resize under way: everything is computed from its start and the total movement.
    WindowEdge m_edge = WindowEdge::right;
    QPointF m_start;
    QRect m_startFrame; // with the window manager's decorations
    QMargins m_margins; // decorations around the client area
    QSize m_minimum;
    double m_limit = 0;
    bool m_noLimit = true;
};
