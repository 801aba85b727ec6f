#pragma once
#include <QCursor>

// The cursors of the canvas, mapped to the desktop's cursors in one place.
enum class CursorKind {
    arrow,
    crosshair,
    openHand,
    closedHand,
    pointingHand,
    iBeam,
    resizeDiagonalDown, // top-left and bottom-right handles
    resizeDiagonalUp,   // top-right and bottom-left handles
    resizeVertical,
    resizeHorizontal,
    columnResize,       // the rail's edge, both ways
    columnResizeLeft,   // the rail's edge, only narrower
    columnResizeRight,  // the rail's edge, only wider
};

QCursor cursorFor(CursorKind kind);
// The resize cursor of a grip handle (0 top-left, clockwise to 7 left).
CursorKind resizeCursor(int handle);
