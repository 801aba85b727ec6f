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
    // The windows windowsOf() answers from.
    QList<RunningApp> running;
    bool watching = false;

    std::optional<RunningApp> frontmost() override { return front; }
    bool activate(const RunningApp &app) override
    {
        activations << app;
        return true;
    }
    QList<RunningApp> windowsOf(const QString &identifier) override
    {
        QList<RunningApp> out;
        for (const RunningApp &app : std::as_const(running)) {
            if (!identifier.isEmpty() && app.identifier.compare(identifier, Qt::CaseInsensitive) == 0)
                out << app;
        }
        return out;
    }
    QList<RunningApp> windowsOfProcess(qint64 pid) override
    {
        QList<RunningApp> out;
        for (const RunningApp &app : std::as_const(running)) {
            if (pid > 0 && app.pid == pid)
                out << app;
        }
        return out;
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
