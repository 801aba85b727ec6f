#pragma once
#include <QString>
#include <QtGlobal>

// One key as the keyboard reports it: the application's key code (KeyCode), its characters and
// its event flags (EventFlag).
struct KeyStroke
{
    int keyCode = 0;
    QString characters;
    quint64 flags = 0;

    bool operator==(const KeyStroke &) const = default;
};

// The number pad's Enter is taken as Return: key code 36, a carriage return, the numeric-pad and
// function flags cleared and every other flag kept (Ctrl+Enter works as Ctrl+Return). Any other
// key comes back unchanged.
KeyStroke keypadEnterAsReturn(const KeyStroke &key);
