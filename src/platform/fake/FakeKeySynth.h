#pragma once
#include "platform/KeySynth.h"

#include <QList>

// A key synthesizer that records what it was asked to press; tests set trust, held modifiers and
// failure by hand.
class FakeKeySynth : public KeySynth
{
public:
    struct Press
    {
        quint32 keysym;
        Qt::KeyboardModifiers modifiers;
    };

    bool isTrusted = true;
    bool fails = false;
    quint64 held = 0;
    QList<Press> presses;

    bool trusted() override { return isTrusted; }
    quint64 heldModifiers() override { return held; }
    bool press(quint32 keysym, Qt::KeyboardModifiers modifiers) override
    {
        presses << Press{keysym, modifiers};
        return !fails;
    }
};
