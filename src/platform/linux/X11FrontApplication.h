#pragma once
#include "platform/FrontApplication.h"

#include <QAbstractNativeEventFilter>

// The front application on X11: the window in the root window's _NET_ACTIVE_WINDOW, described by
// its _NET_WM_PID and WM_CLASS; the user's idle time from the screen-saver extension (the SYNC
// extension's IDLETIME counter when that is missing).
class X11FrontApplication : public FrontApplication, private QAbstractNativeEventFilter
{
public:
    X11FrontApplication();
    ~X11FrontApplication() override;

    std::optional<RunningApp> frontmost() override;
    bool activate(const RunningApp &app) override;
    QList<RunningApp> windowsOf(const QString &identifier) override;
    QList<RunningApp> windowsOfProcess(qint64 pid) override;
    double secondsSinceLastInput() override;
    void startWatching() override;

    // The application that owns a window, or nothing when the window is gone.
    static std::optional<RunningApp> describe(quint32 window);

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    void activeWindowChanged();

    bool m_watching = false;
    std::optional<RunningApp> m_last;
};
