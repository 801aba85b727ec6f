#pragma once
#include "platform/GlobalKeyGrabber.h"

#include <QList>
#include <QPair>

// A grabber without a display: grabs succeed unless the combination is listed as held by
// another client; press() stands for a key event.
class FakeKeyGrabber : public GlobalKeyGrabber
{
public:
    bool isAvailable() const override { return available; }

    bool press(int keyCode, quint64 flags, bool repeat = false)
    {
        return keyPressed(keyCode, flags, repeat);
    }
    bool holds(int keyCode, quint64 flags) const { return taken.contains({keyCode, flags}); }

    bool available = true;
    QList<QPair<int, quint64>> heldByOthers;
    QList<QPair<int, quint64>> taken; // combinations grabbed now

protected:
    int grabKey(int keyCode, quint64 flags) override
    {
        if (!available)
            return Unavailable;
        if (heldByOthers.contains({keyCode, flags}))
            return BadAccess;
        if (!taken.contains({keyCode, flags}))
            taken.append({keyCode, flags});
        return 0;
    }
    void ungrabKey(int keyCode, quint64 flags) override { taken.removeAll({keyCode, flags}); }
};
