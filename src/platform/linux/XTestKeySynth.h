#pragma once
#include "platform/KeySynth.h"

// Key presses through the XTEST extension on Qt's own X connection. The keycode of a keysym is
// looked up in the keyboard map as the server has it at the moment of the press, so a map changed
// since the last press is honoured. Every request is checked.
class XTestKeySynth : public KeySynth
{
public:
    bool trusted() override;
    quint64 heldModifiers() override;
    bool press(quint32 keysym, Qt::KeyboardModifiers modifiers) override;
};
