#pragma once
#include "platform/GlobalKeyGrabber.h"

// A grabber that takes nothing from the display: every grab succeeds and is only remembered, so
// a shortcut centre can work out its statuses without a single combination reaching X.
class InertKeyGrabber : public GlobalKeyGrabber
{
public:
    explicit InertKeyGrabber(QObject *parent = nullptr) : GlobalKeyGrabber(parent) {}

    bool isAvailable() const override { return true; }

protected:
    int grabKey(int, quint64) override { return 0; }
    void ungrabKey(int, quint64) override {}
};
