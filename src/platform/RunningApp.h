#pragma once
#include <QString>

// A handle on another running application, as the window system shows it: the window through
// which it was seen in front, its process id, its name for people (the WM_CLASS class, e.g.
// "Firefox") and its identifier (the desktop-file id when the window names one, else the WM_CLASS
// instance).
struct RunningApp
{
    quint32 window = 0;
    qint64 pid = 0;
    QString name;
    QString identifier;

    bool operator==(const RunningApp &) const = default;
};
