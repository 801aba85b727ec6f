#pragma once
#include "capture/CaptureSession.h"

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>

// The last two stages of the self-check: the selection overlay as a panel that takes keys without
// activating anything and stays under the user's windows, Escape while an area is being chosen
// and while a canvas is open, and the welcome guide as a user sees it and as "--welcome" stages
// it. Main thread only.
namespace Autopilot {

// Checks 1–3 on a capture session shown with no area chosen: its first window is a panel kept
// from the window manager, under every window and without the keyboard; then Escape ends it.
void panelChecks(CaptureSession *session);

// Step 24: a clipboard-mode session over the staged screen for panelChecks, then the history
// paused and a canvas opened at (200, 150, 640, 400); answers that canvas's session.
QPointer<CaptureSession> overlayPanelChecks(QSize screen, const QImage &image);

// Step 25: Escape caught elsewhere leaves the session's open canvas alone (check 4); the canvas
// is closed and the history unpaused; the welcome window, made over a hot-key centre that grabs
// nothing and never touches the desktop's shortcuts, is drawn as "11-welcome" and, staged with
// "access", as "11b-welcome-staged" into folder (checks 5 and 6).
void welcomeChecks(CaptureSession *session, const QString &folder);

} // namespace Autopilot
