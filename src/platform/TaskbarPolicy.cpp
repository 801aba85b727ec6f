#include "platform/TaskbarPolicy.h"

#include "platform/linux/X11WindowState.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

namespace {
ActivationPolicy current = ActivationPolicy::regular;

// Windows a taskbar would list: ordinary windows and dialogs that the window manager manages.
bool listable(const QWindow *window)
{
    const Qt::WindowType type = window->type();
    return window->isTopLevel() && (type == Qt::Window || type == Qt::Dialog)
           && !(window->flags() & Qt::X11BypassWindowManagerHint);
}

// Gives every window the state of the policy just before it is mapped.
class ShowWatcher : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show && object->isWindowType()) {
            auto *window = static_cast<QWindow *>(object);
            if (listable(window) && current == ActivationPolicy::accessory)
                X11WindowState::setSkipTaskbar(window, true);
        }
        return false;
    }
};
} // namespace

ActivationPolicy TaskbarPolicy::policy()
{
    return current;
}

void TaskbarPolicy::setPolicy(ActivationPolicy policy)
{
    static ShowWatcher *watcher = nullptr;
    if (!watcher && qGuiApp) {
        watcher = new ShowWatcher;
        watcher->setParent(qGuiApp);
        qGuiApp->installEventFilter(watcher);
    }
    current = policy;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (listable(window) && window->handle())
            X11WindowState::setSkipTaskbar(window, policy == ActivationPolicy::accessory);
    }
}
