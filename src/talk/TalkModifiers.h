#pragma once
#include <QtGlobal>

#include <optional>

// Follows the modifier keys held in a window from its X11 key presses and releases (by keysym)
// and gives each change as the talk hold takes it: the changed key's code and the flags after it,
// the device bits of every held key together with the modifier bits. The Super keys stand for
// the Control keys, Alt for Option (right Alt, or AltGr where it is ISO_Level3_Shift), Ctrl for
// Command.
class TalkModifiers {
public:
    struct Change {
        quint16 keyCode;
        quint64 flags;
    };

    // A change for a modifier key; none for any other key (those are key-downs to the hold).
    std::optional<Change> key(quint32 keysym, bool pressed);
    static bool isModifier(quint32 keysym);
    // Nothing is held any more (the window lost the focus).
    void reset() { m_held = 0; }
    quint64 flags() const;

private:
    quint64 m_held = 0; // device bits of the held keys
};
