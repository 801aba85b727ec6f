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
