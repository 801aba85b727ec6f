#include "AppDelegate.h"

#include "launch/DispatchSupport.h"

#include "app/ActivityLog.h"
#include "app/MeltIcon.h"
#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "app/SelfCheckFlag.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayPool.h"
#include "capture/SessionCanvas.h"
#include "capture/ScreenFreezer.h"
#include "history/Recents.h"
#include "platform/Preferences.h"
#include "platform/ScreenSource.h"

#include <QAction>
#include <QApplication>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

namespace {
// How long a capture waits after taking its own windows off the screen, for the windows they
// covered to draw themselves again before the displays are frozen.
constexpr int uncoverMilliseconds = 120;
} // namespace

void AppDelegate::menuCapture(const QString &rawAction)
{
    const auto action = CaptureActions::fromRawValue(rawAction);
    if (!action)
        return;
    QPointer<AppDelegate> self(this);
    const CaptureAction a = *action;
    QTimer::singleShot(150, this, [self, a] {
        if (self)
            self->capture(a);
    });
}

QList<FrozenFrame> AppDelegate::demoFrames(const QList<ScreenInfo> &screens, int variant) const
{
    QList<FrozenFrame> frames;
    if (!samplePicture) {
        notInThisBuild(QStringLiteral("the sample screen"));
        return frames;
    }
    for (const ScreenInfo &screen : screens) {
        const QSize px = ScreenFreezer::pixelSize(screen);
        QImage picture = samplePicture(px.width(), px.height(), variant);
        if (picture.isNull())
            continue;
        picture.setDevicePixelRatio(screen.pixelScale);
        frames.append(FrozenFrame{screen, picture});
    }
    return frames;
}

void AppDelegate::warmCapture()
{
    if (SelfCheckFlag::isSet())
        return;
    if (CaptureSession::currentSession()) {
        QPointer<AppDelegate> self(this);
        QTimer::singleShot(1000, this, [self] {
            if (self)
                self->warmCapture();
        });
        return;
    }
    OverlayPool::shared().warm();
    if (!m_demo && screenCaptureAllowed())
        m_freezer->warmUp();
}

void AppDelegate::capture(CaptureAction action)
{
    // 1: with a capture open, shots go into its canvas.
    if (CaptureSession *session = CaptureSession::currentSession()) {
        if (action == CaptureAction::areaToCanvas || action == CaptureAction::fullScreenToCanvas
            || action == CaptureAction::repeatLastArea)
            captureIntoCanvas(session, action);
        return;
    }
    // 2: one freeze at a time.
    if (m_capturing)
        return;
    switch (action) {
    case CaptureAction::repeatLastArea:
        if (!CaptureSession::lastArea) {
            toast(QStringLiteral("No earlier area yet"), 0.9);
            return;
        }
        break;
    case CaptureAction::reopenLast:
        if (Recents::list().isEmpty())
            toast(QStringLiteral("Nothing to reopen yet"), 0.9);
        else
            reopenNewest();
        return;
    case CaptureAction::markUpClipboard:
        if (!clipboardPicture || !clipboardPicture())
            toast(QStringLiteral("No image on the clipboard"), 0.9);
        else
            markUpClipboard();
        return;
    default:
        break;
    }

    const double t0 = DispatchSupport::mediaTime();
    const QList<ScreenInfo> screens = m_freezer->source()->screens();
    const std::optional<RunningApp> previous = DispatchSupport::frontmostApp();

    if (m_demo) {
        startSession(demoFrames(screens, 0), t0, DispatchSupport::mediaTime(), action, previous);
        return;
    }
    if (!screenCaptureAllowed()) {
        showWelcome();
        return;
    }
    // A toast still showing from the last capture must not end up in this one: it goes at once,
    // and the freeze waits for the windows beneath to draw themselves again.
    if (Toast::dismiss()) {
        m_capturing = true;
        QPointer<AppDelegate> self(this);
        QTimer::singleShot(uncoverMilliseconds, this, [self, screens, action, t0, previous] {
            if (self)
                self->runFreeze(screens, action, t0, previous);
        });
        return;
    }
    runFreeze(screens, action, t0, previous);
}

void AppDelegate::runFreeze(const QList<ScreenInfo> &screens, CaptureAction action, double t0,
                            std::optional<RunningApp> previous)
{
    m_capturing = true;
    auto *watcher = new QFutureWatcher<QList<FrozenFrame>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, action, t0, previous] {
        watcher->deleteLater();
        QList<FrozenFrame> frames;
        try {
            frames = watcher->future().result();
        } catch (...) {
            const QString why = DispatchSupport::describe(std::current_exception());
            activityLog(QStringLiteral("capture: the freeze failed: ") + why);
            showAlert(why);
            m_capturing = false;
            return;
        }
        startSession(frames, t0, DispatchSupport::mediaTime(), action, previous);
        m_capturing = false;
    });
    watcher->setFuture(m_freezer->freezeAll(screens));
}

void AppDelegate::closeMenus()
{
    if (trackedMenu)
        trackedMenu->close();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *menu = qobject_cast<QMenu *>(w); menu && menu->isVisible())
            menu->close();
}

void AppDelegate::startSession(const QList<FrozenFrame> &frames, double t0, double frozenTime,
                               CaptureAction action, std::optional<RunningApp> previous)
{
    if (frames.isEmpty())
        return;
    closeMenus();
    const auto mode = action == CaptureAction::areaToClipboard ? OverlayViewHost::Mode::Clipboard
                                                               : OverlayViewHost::Mode::Canvas;
    auto *session = new CaptureSession(frames, previous, mode);
    CaptureSession::setCurrentSession(session);
    session->show();
    // The overlays are on screen before the time is taken.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QGuiApplication::sync();
    const double overlayTime = DispatchSupport::mediaTime();
    const QString timing = logCaptureTiming(frames, frozenTime - t0, overlayTime - t0);

    auto &prefs = Prefs::store();
    prefs.setValue(QStringLiteral("melt.captures"),
                   double(prefs.intValue(QStringLiteral("melt.captures")).value_or(0) + 1));
    refreshMeltIcon(false);

    m_lastItem->setText(QStringLiteral("Last: ") + timing);
    session->setDebugText(timing);
    emit captureStarted();

    switch (action) {
    case CaptureAction::fullScreenToCanvas:
        session->chooseFullScreen();
        break;
    case CaptureAction::repeatLastArea:
        session->repeatLastArea();
        break;
    default:
        session->loadWindowList();
        break;
    }
}

void AppDelegate::captureIntoCanvas(CaptureSession *session, CaptureAction action)
{
    if (!session || session->mode() != OverlayViewHost::Mode::Canvas || !session->active()
        || !CaptureSession::canvasOf || !CaptureSession::canvasOf(session->active())
        || session->child())
        return;
    if (m_capturing || (action == CaptureAction::repeatLastArea && !CaptureSession::lastArea))
        return;
    if (!m_demo && !screenCaptureAllowed()) {
        showWelcome();
        return;
    }
    m_capturing = true;
    const bool captureSelf =
        Prefs::store().boolValue(QStringLiteral("dev.captureSelf")).value_or(false);
    int delay = 0;
    if (!captureSelf) {
        session->hideForCapture();
        Toast::dismiss();
        delay = uncoverMilliseconds;
    }
    const std::optional<RunningApp> previous = DispatchSupport::frontmostApp();
    QPointer<AppDelegate> self(this);
    QPointer<CaptureSession> target(session);
    QTimer::singleShot(delay, this, [self, target, action, previous] {
        if (!self)
            return;
        auto finish = [self, target, action, previous](const QList<FrozenFrame> &frames) {
            if (!target) {
                self->m_capturing = false;
                return;
            }
            if (frames.isEmpty()) {
                target->bringForward();
            } else {
                self->closeMenus();
                auto *child = new CaptureSession(frames, previous, OverlayViewHost::Mode::AddShot);
                target->setChild(child);
                child->show();
                if (action == CaptureAction::fullScreenToCanvas)
                    child->chooseFullScreen();
                else if (action == CaptureAction::repeatLastArea)
                    child->repeatLastArea();
                else
                    child->loadWindowList();
            }
            self->m_capturing = false;
        };
        const QList<ScreenInfo> screens = self->m_freezer->source()->screens();
        if (self->m_demo) {
            // The sample picture varies with the shots the canvas has already.
            SessionCanvas *canvas = target && CaptureSession::canvasOf ? CaptureSession::canvasOf(target->active()) : nullptr;
            finish(self->demoFrames(screens, canvas ? canvas->shotCount() : 1));
            return;
        }
        auto *watcher = new QFutureWatcher<QList<FrozenFrame>>(self);
        QObject::connect(watcher, &QFutureWatcherBase::finished, self, [self, target, watcher, finish] {
            watcher->deleteLater();
            try {
                finish(watcher->future().result());
            } catch (...) {
                activityLog(QStringLiteral("capture: the freeze failed: ") + DispatchSupport::describe(std::current_exception()));
                if (target)
                    target->bringForward();
                toast(QStringLiteral("Could not capture the screen"), 0.9);
                self->m_capturing = false;
            }
        });
        watcher->setFuture(self->m_freezer->freezeAll(screens));
    });
}

QString AppDelegate::logCaptureTiming(const QList<FrozenFrame> &frames, double frozenSeconds,
                                      double overlaySeconds)
{
    const QString timing = QString::asprintf("frozen in %.0f ms, overlay up in %.0f ms",
                                             frozenSeconds * 1000, overlaySeconds * 1000);
    QStringList sizes;
    for (const FrozenFrame &f : frames)
        sizes.append(QStringLiteral("%1x%2").arg(f.image.width()).arg(f.image.height()));
    const QString tail = QStringLiteral(" displays=%1 pixels=%2").arg(frames.size()).arg(sizes.join(QLatin1Char(',')));
    activityLog(QStringLiteral("capture: ") + timing + tail);
    appendCaptureLog(timing + tail);
    return timing;
}

