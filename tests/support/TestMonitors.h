#pragma once
#include <QList>
#include <QRect>
#include <QString>

// The RandR monitors of the test's X server, read and set with xrandr. A test that needs the two
// monitors of the project's own test server (QUILLET-A, 1920 x 1080 on the screen's output, and
// QUILLET-B, 1280 x 1024 beside it) makes them where the screen is large enough, and puts the
// server's monitors back as it found them, so that the tests after it see the same server.
namespace TestMonitors {

struct Monitor
{
    QString name;
    QRect geometry;
    QString setting;   // width/mm x height/mm + x + y, as --setmonitor takes it
    QString output; // the output it sits on, "none" for none
};

// The monitors the server has now.
QList<Monitor> list();
// Empty when QUILLET-A and QUILLET-B are there now (made here when missing); else why they
// cannot be: the screen is smaller than the two side by side.
QString ensurePair();
// Deletes the monitors named QUILLET-* that before did not have and sets back those it had.
void restore(const QList<Monitor> &before);

} // namespace TestMonitors
