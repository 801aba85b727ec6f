#pragma once
#include "platform/Permissions.h"

// The facilities of this session: a Wayland session cannot be captured; on X11 the screen counts
// as allowed when a one-pixel GetImage of the root window succeeds, pasting when the server
// offers XTEST, the microphone when Qt Multimedia lists an audio input.
class SystemPermissions : public Permissions
{
public:
    Answer screen() override;
    Answer access() override;
    Answer microphone() override;

    // Whether the environment names a Wayland session (XDG_SESSION_TYPE, WAYLAND_DISPLAY).
    static bool isWaylandSession();
};
