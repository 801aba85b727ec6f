#pragma once
#include "platform/FrontApplication.h"

#include <QList>

// A front application that tests set by hand: who is in front, how long the user has been idle,
// and which applications were asked to come forward.
class FakeFrontApplication : public FrontApplication
{
public:
    std::optional<RunningApp> front;
    double idleSeconds = 1000;
    QList<RunningApp> activations;
    bool watching = false;

    std::optional<RunningApp> frontmost() override { return front; }
    bool activate(const RunningApp &app) override
    {
        activations << app;
        return true;
    }
    double secondsSinceLastInput() override { return idleSeconds; }
    void startWatching() override { watching = true; }

    // Another application comes to the front.
    void bringToFront(const std::optional<RunningApp> &app)
    {
        front = app;
        emit activated(app);
    }
};
