#include "canvas/CursorKind.h"

QCursor cursorFor(CursorKind kind)
{
    switch (kind) {
    case CursorKind::arrow:
        return Qt::ArrowCursor;
    case CursorKind::crosshair:
        return Qt::CrossCursor;
    case CursorKind::openHand:
        return Qt::OpenHandCursor;
    case CursorKind::closedHand:
        return Qt::ClosedHandCursor;
    case CursorKind::pointingHand:
        return Qt::PointingHandCursor;
    case CursorKind::iBeam:
        return Qt::IBeamCursor;
    case CursorKind::resizeDiagonalDown:
        return Qt::SizeFDiagCursor;
    case CursorKind::resizeDiagonalUp:
        return Qt::SizeBDiagCursor;
    case CursorKind::resizeVertical:
        return Qt::SizeVerCursor;
    case CursorKind::resizeHorizontal:
        return Qt::SizeHorCursor;
    case CursorKind::columnResize:
    case CursorKind::columnResizeLeft:
    case CursorKind::columnResizeRight:
        // The desktop has one column-resize cursor for all three.
        return Qt::SplitHCursor;
    }
    return Qt::ArrowCursor;
}

CursorKind resizeCursor(int handle)
{
    switch (handle) {
    case 0:
    case 4:
        return CursorKind::resizeDiagonalDown;
    case 2:
    case 6:
        return CursorKind::resizeDiagonalUp;
    case 1:
    case 5:
        return CursorKind::resizeVertical;
    default:
        return CursorKind::resizeHorizontal;
    }
}
