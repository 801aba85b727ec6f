// The canvas window in front: who else comes to the front right after the canvas came up, and
// whether the application shows in the taskbar.
#include "capture/CaptureSession.h"

#include "app/ActivityLog.h"
#include "app/MeltIcon.h"
#include "app/SelfCheckFlag.h"
#include "capture/OverlayPool.h"
#include "capture/OverlayWindow.h"
#include "platform/FrontApplication.h"
#include "platform/Preferences.h"
#include "platform/TaskbarPolicy.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace {
struct FrontState
{
    double canvasCameUpAt = 0;  // seconds on the clock; 0 when none
    bool frontHandled = false;
    bool watchingFront = false;    // the observer of other applications is installed
    bool watchingResign = false;   // the observer of this application resigning is installed
    QMetaObject::Connection frontConnection;
    QMetaObject::Connection resignConnection;
};

FrontState &front()
{
    static FrontState s;
    return s;
}

double monotonicSeconds()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    // Never 0, which means "none".
    return 1.0 + timer.nsecsElapsed() / 1e9;
}

std::function<double()> &sessionClock()
{
    static std::function<double()> c = monotonicSeconds;
    return c;
}

bool applicationActive()
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

QString frontName()
{
    const auto app = FrontApplication::shared().frontmost();
    return app && !app->name.isEmpty() ? app->name : QStringLiteral("nothing");
}
} // namespace

void CaptureSession::setClockForTesting(std::function<double()> c)
{
    sessionClock() = c ? std::move(c) : std::function<double()>(monotonicSeconds);
}

void CaptureSession::resetForTesting()
{
    QObject::disconnect(front().frontConnection);
    QObject::disconnect(front().resignConnection);
    front() = FrontState();
    if (CaptureSession *s = currentSession()) {
        s->releaseWindows();
        setCurrentSession(nullptr);
    }
    lastArea.reset();
}

void CaptureSession::forgetCanvasCameUp()
{
    front().canvasCameUpAt = 0;
    front().frontHandled = true;
}

OverlayWindow *CaptureSession::canvasWindow() const
{
    if (!m_active || m_active->stage() != OverlayView::Stage::Canvas)
        return nullptr;
    return qobject_cast<OverlayWindow *>(m_active->window());
}

void CaptureSession::canvasOpened()
{
    // The chosen view may have moved into a canvas window of its own: the session holds that
    // window now, and the overlay it left goes back to the pool.
    const qsizetype i = m_views.indexOf(m_active);
    OverlayWindow *now = m_active ? qobject_cast<OverlayWindow *>(m_active->window()) : nullptr;
    if (i >= 0 && i < m_windows.size() && now && m_windows[i] != now) {
        OverlayWindow *left = m_windows[i];
        m_windows[i] = now;
        if (left)
            OverlayPool::shared().give(left);
    }
    activityLog(QStringLiteral("canvas opened (in front: %1)").arg(frontName()));
    const ActivationPolicy noted = TaskbarPolicy::policy();
    updateDockIcon();
    if (!((noted == ActivationPolicy::regular && applicationActive()) || SelfCheckFlag::isSet()))
        activateApplication(canvasWindow());
    watchFrontApp();
}

void CaptureSession::watchFrontApp()
{
    if (SelfCheckFlag::isSet())
        return;
    front().canvasCameUpAt = sessionClock()();
    front().frontHandled = false;
    if (front().watchingFront)
        return;
    front().watchingFront = true;
    FrontApplication &apps = FrontApplication::shared();
    apps.startWatching();
    front().frontConnection = QObject::connect(&apps, &FrontApplication::activated, qApp,
                                               [](std::optional<RunningApp> app) { frontAppChanged(app); },
                                               Qt::QueuedConnection);
}

void CaptureSession::frontAppChanged(const std::optional<RunningApp> &app)
{
    if (!app || app->pid == QCoreApplication::applicationPid() || !currentSession())
        return;
    const QString name = !app->name.isEmpty() ? app->name
                         : !app->identifier.isEmpty() ? app->identifier
                                                      : QStringLiteral("?");
    activityLog(QStringLiteral("in front: ") + name);
    if (front().frontHandled)
        return;
    const double t0 = front().canvasCameUpAt;
    front().canvasCameUpAt = 0;
    front().frontHandled = true;
    const double e = sessionClock()() - t0;
    if (!(e < 1.5 && e < secondsSinceLastInput()))
        return;
    OverlayWindow *window = currentSession()->canvasWindow();
    if (!window || !window->isVisible())
        return;
    activityLog(QStringLiteral("took the front back from %1 %2 ms after the canvas came up")
                    .arg(app->name.isEmpty() ? QStringLiteral("?") : app->name)
                    .arg(qint64(e * 1000)));
    window->orderFrontRegardless();
    if (!SelfCheckFlag::isSet())
        window->activateWindow();
    window->makeKeyAndOrderFront();
    QTimer::singleShot(300, qApp, &CaptureSession::checkFrontTakenBack);
}

void CaptureSession::checkFrontTakenBack()
{
    if (applicationActive())
        activityLog(QStringLiteral("front taken back: Quillet is active"));
    else
        activityLog(QStringLiteral("front taken back: the window only, %1 is still active").arg(frontName()));
}

double CaptureSession::secondsSinceLastInput()
{
    return FrontApplication::shared().secondsSinceLastInput();
}

void CaptureSession::updateDockIcon()
{
    if (SelfCheckFlag::isSet())
        return;
    if (!front().watchingResign && qGuiApp) {
        front().watchingResign = true;
        front().resignConnection = QObject::connect(
            qGuiApp, &QGuiApplication::applicationStateChanged, qApp,
            [](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    stepBackInAppSwitcher();
            },
            Qt::QueuedConnection);
    }
    const bool hidden = Preferences::shared().boolValue(QStringLiteral("dock.hidden")).value_or(false);
    const ActivationPolicy wanted =
        currentSession() || !hidden ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (TaskbarPolicy::policy() == wanted)
        return;
    TaskbarPolicy::setPolicy(wanted);
    if (wanted == ActivationPolicy::regular)
        refreshDockIconImage();
}

void CaptureSession::refreshDockIconImage()
{
    refreshMeltIcon(true);
    for (int ms : {150, 300, 500})
        QTimer::singleShot(ms, qApp, [] { refreshMeltIcon(true); });
}

bool CaptureSession::anyWindowShown()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (const QWindow *w : windows) {
        const Qt::WindowType type = w->type();
        if (type != Qt::Window && type != Qt::Dialog)
            continue;
        if (w->flags() & (Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint))
            continue;
        if (w->isVisible() || w->windowState() == Qt::WindowMinimized)
            return true;
    }
    return false;
}

void CaptureSession::stepBackInAppSwitcher()
{
    if (TaskbarPolicy::policy() != ActivationPolicy::regular || applicationActive() || currentSession()
        || anyWindowShown())
        return;
    TaskbarPolicy::setPolicy(ActivationPolicy::accessory);
    TaskbarPolicy::setPolicy(ActivationPolicy::regular);
    activityLog(QStringLiteral("stepped back in the app switcher"));
    refreshDockIconImage();
}
