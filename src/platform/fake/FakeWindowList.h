#pragma once
#include "platform/WindowList.h"

// A window list that tests fill by hand.
class FakeWindowList : public WindowList
{
public:
    QList<WindowListEntry> windows;
    QList<WindowListEntry> onScreenWindows() override { return windows; }
};
