#pragma once
#include <QList>
#include <QRect>
#include <QString>

class QScreen;

// One screen as the capture code sees it: its display id, where it lies in Qt's global logical
// coordinates (points) and how many device pixels make one point.
struct ScreenInfo
{
    // The X11 display id: the RandR output id of the monitor, or the atom of the monitor's name
    // when the monitor has no output (a monitor made with xrandr --setmonitor ... none). 0 when
    // the screen cannot be tied to a monitor.
    quint32 displayId = 0;
    QString name;          // QScreen::name()
    QRect geometry;        // logical geometry (points), Qt's global coordinates
    qreal pixelScale = 1;  // QScreen::devicePixelRatio()

    bool operator==(const ScreenInfo &) const = default;

    // The Qt screen with this name (or, failing that, this geometry); null when it is gone.
    QScreen *qscreen() const;
};
