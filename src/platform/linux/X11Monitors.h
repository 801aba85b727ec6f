#pragma once
#include <QList>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

// The monitors of an X screen as RandR 1.5 lists them. A monitor's id is its first output's id, or
// the atom of its name when it has no output (a monitor set up by hand); both stay the same for
// as long as the server runs. Without RandR 1.5 the whole root window is one monitor whose id is
// the root window's id.
struct X11Monitor
{
    quint32 id = 0;
    QString name;
    QRect rect; // root pixels
    bool primary = false;
};

namespace X11Monitors {
QList<X11Monitor> list(xcb_connection_t *conn, xcb_screen_t *screen);
}
