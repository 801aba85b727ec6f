#include "app/FrontBeforeCapture.h"

#include "platform/FrontApplication.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

namespace FrontBeforeCapture {
namespace {
struct State
{
    QPointer<FrontApplication> watched; // the instance whose changes are followed
    QMetaObject::Connection connection;
    std::optional<RunningApp> lastOther;
};

State &state()
{
    static State s;
    return s;
}

void note(const std::optional<RunningApp> &app)
{
    if (app && !isOwn(*app))
        state().lastOther = app;
}
} // namespace

bool isOwn(const RunningApp &app)
{
    if (app.pid != 0 && app.pid == QCoreApplication::applicationPid())
        return true;
    if (!app.window)
        return false;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (const QWindow *w : windows) {
        if (w->handle() && w->winId() == app.window)
            return true;
    }
    return false;
}

void startWatching()
{
    FrontApplication &front = FrontApplication::shared();
    State &s = state();
    if (s.watched == &front)
        return;
    QObject::disconnect(s.connection);
    s.watched = &front;
    front.startWatching();
    s.connection = QObject::connect(&front, &FrontApplication::activated, qApp, note);
    note(front.frontmost());
}

std::optional<RunningApp> now()
{
    startWatching();
    const std::optional<RunningApp> front = FrontApplication::shared().frontmost();
    if (front && !isOwn(*front)) {
        state().lastOther = front;
        return front;
    }
    return front ? state().lastOther : std::nullopt;
}

void resetForTesting()
{
    State &s = state();
    QObject::disconnect(s.connection);
    s = State();
}

} // namespace FrontBeforeCapture
