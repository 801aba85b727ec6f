#pragma once
#include "platform/WindowList.h"

#include <QRect>

// The window manager's client windows (see X11ClientWindows) on Qt's own connection, with the
// layer their window type and state give them and the opacity they ask for.
class X11WindowList : public WindowList
{
public:
    QList<WindowListEntry> onScreenWindows() override;

    // A rectangle in root-window pixels in Qt's global points: each screen keeps its top-left
    // corner and scales by its own pixel ratio.
    static QRectF toPoints(const QRect &pixels);
};
