#pragma once
#include <QString>

#include <memory>

// What the desktop lets the application do: capture the screen, send keys to other applications
// (pasting), and listen to a microphone. On X11 nothing needs to be granted; a facility is
// there when it works (the display answers a grab, the server offers XTEST, an input device
// exists). Main thread only.
class Permissions
{
public:
    struct Answer {
        bool allowed = false;
        QString reason; // why not, in the user's words; empty when allowed
        bool operator==(const Answer &other) const = default;
    };

    virtual ~Permissions() = default;

    // The process-wide instance: the X11 one (decided on first use).
    static Permissions &shared();
    // Tests put a fake in its place; nullptr brings back the default.
    static void setShared(std::shared_ptr<Permissions> instance);

    virtual Answer screen() = 0;
    virtual Answer access() = 0;
    virtual Answer microphone() = 0;

    static QString waylandReason();
    static QString noXTestReason();
    static QString noMicrophoneReason();
};
