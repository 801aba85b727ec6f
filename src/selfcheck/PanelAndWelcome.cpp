#include "PanelAndWelcome.h"

#include "Autopilot.h"
#include "CanvasSessions.h"

#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "onboarding/OnboardingWindowController.h"
#include "platform/InertKeyGrabber.h"
#include "platform/Preferences.h"
#include "platform/fake/MemoryShortcutStore.h"

namespace Autopilot {
namespace {
const QString paused = QStringLiteral("history.paused");

// A failed line of these stages carries no detail: it ends in two blanks.
void checkPlain(const QString &sentence, bool ok)
{
    check(sentence, ok, [] { return QString(); });
}
} // namespace

void panelChecks(CaptureSession *session)
{
    const QPointer<OverlayWindow> panel =
        session && !session->windows().isEmpty() ? session->windows().first() : nullptr;
    SelfCheckFlag::set(true);

    // A window the window manager never sees is never activated by it: it takes keys only
    // through its own grab.
    checkPlain(QStringLiteral("the selection overlay is a panel that takes keys without activating"),
               panel && (panel->windowFlags() & Qt::X11BypassWindowManagerHint) && !panel->isTitled());
    const Qt::WindowFlags flags = panel ? panel->windowFlags() : Qt::WindowFlags();
    checkPlain(QStringLiteral("a self-check's own windows stay under the desktop and refuse the keyboard"),
               panel && isRunning() && (flags & Qt::WindowStaysOnBottomHint)
                   && (flags & Qt::WindowDoesNotAcceptFocus) && !panel->canBecomeKey());

    const QPointer<CaptureSession> kept = session;
    const bool handled = session && session->cancelSelection();
    checkPlain(QStringLiteral("Escape cancels an area being chosen"),
               handled && (!kept || kept->windows().isEmpty()));
}

QPointer<CaptureSession> overlayPanelChecks(QSize screen, const QImage &image)
{
    const ScreenInfo staged = stagedScreen(screen, image);
    panelChecks(showCapture(staged, image, OverlayViewHost::Mode::Clipboard));
    Prefs::store().setValue(paused, true);
    return openCanvas(staged, image, QRectF(200, 150, 640, 400));
}

void welcomeChecks(CaptureSession *session, const QString &folder)
{
    const bool handled = session && session->cancelSelection();
    OverlayView *active = session ? session->active() : nullptr;
    checkPlain(QStringLiteral("Escape elsewhere leaves an open canvas alone"),
               session && !handled && active && active->canvas());
    closeCanvas(session);
    Prefs::store().setValue(paused, false);

    // Nothing is grabbed on the display and the desktop's shortcuts are neither read nor written.
    InertKeyGrabber grabber;
    MemoryShortcutStore store;
    HotKeyCenter center(grabber, store);
    OnboardingWindowController welcome(center);
    welcome.setAccessForTest(true, true);
    writePicture(welcome.pngSnapshot(), QStringLiteral("11-welcome"), folder);
    checkPlain(QStringLiteral("a guide not staged carries no preview label"), !welcome.model()->staged());
    welcome.stage(QStringLiteral("access"));
    checkPlain(QStringLiteral("a guide staged with --welcome is labelled a preview"), welcome.model()->staged());
    writePicture(welcome.pngSnapshot(), QStringLiteral("11b-welcome-staged"), folder);
}

} // namespace Autopilot
