#pragma once
#include <Qt>
#include <QtGlobal>

#include <memory>

// Synthesized key presses that reach whichever application has the keyboard, as if typed.
// Main thread only.
class KeySynth
{
public:
    virtual ~KeySynth() = default;

    // The process-wide instance (XTest on X11) unless a test has put another in its place.
    static KeySynth &shared();
    static void setShared(std::shared_ptr<KeySynth> synth);

    // Whether keys can be synthesized at all.
    virtual bool trusted() = 0;
    // The modifier keys held now, as the Shift, Control, Option and Command event-flag bits
    // (Shift, Super, Alt and Ctrl on the keyboard).
    virtual quint64 heldModifiers() = 0;
    // Presses the modifiers (Ctrl, Shift, Alt, Super, in that order), presses and releases the key
    // that types keysym with the current keyboard map, then releases the modifiers in reverse.
    // True only when every press and release went out; after a failure every key pressed so far
    // is released again.
    virtual bool press(quint32 keysym, Qt::KeyboardModifiers modifiers) = 0;
};
