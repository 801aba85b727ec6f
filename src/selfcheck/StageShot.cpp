#include "StageShot.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "Chain.h"

#include "app/PreferenceReaders.h"
#include "capture/CaptureSession.h"
#include "export/SamplePicture.h"
#include "platform/Preferences.h"

#include <QGuiApplication>
#include <QScreen>

namespace Autopilot {
namespace {
constexpr int chainStep = 10;
}

void stageShotForOpenCanvas(const Handover &handover)
{
    const QString sentence = QStringLiteral("another shot can be staged");
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        stageFailed(sentence, QStringLiteral("no screen"));
        return;
    }
    const QRect frame = screen->geometry();
    const QImage first = samplePicture(frame.width() * 2, frame.height() * 2, 0);
    const QImage second = samplePicture(frame.width() * 2, frame.height() * 2, 2);
    if (first.isNull() || second.isNull()) {
        stageFailed(sentence, QStringLiteral("no picture"));
        return;
    }
    Prefs::store().setValue(QStringLiteral("history.paused"), true);

    CaptureSession *session =
        showCapture(stagedScreen(frame.size(), first), first, OverlayViewHost::Mode::Canvas);
    session->chooseFullScreen();

    Handover on = handover;
    on.session = session;
    on.picture = first;
    on.secondPicture = second;
    on.screen = frame.size();
    Chain::next(chainStep, on);
}

} // namespace Autopilot
