#pragma once
#include <QString>

// A handle on another running application, as the window system shows it: the window through
// which it was seen in front, its process id, its name for people (its desktop entry's name, else
// the WM_CLASS class, e.g. "Firefox") and its identifier (the id of the desktop entry the window
// belongs to, else the id the window names itself by, else the WM_CLASS instance).
struct RunningApp
{
    quint32 window = 0;
    qint64 pid = 0;
    QString name;
    QString identifier;

    bool operator==(const RunningApp &) const = default;
};
