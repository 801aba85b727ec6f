#include "TalkInput.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/Talk.h"
#include "talk/TalkController.h"

#include <QWidget>

namespace Autopilot {

std::optional<TalkKeyEvent> flagsEvent(quint16 keyCode, quint64 flags, TalkClock &clock, const QWidget *view)
{
    if (!view || !view->window()->windowHandle())
        return std::nullopt;
    clock.seconds += 1;
    return TalkKeyEvent{TalkKeyEvent::Type::flagsChanged, keyCode, flags, clock.seconds};
}

void holdStep(Hold change, TalkClock &clock, CanvasController *controller, double step)
{
    clock.seconds += change == Hold::down ? 5 : step;
    Talk *talk = controller ? controller->talkController() : nullptr;
    TalkController *talking = talk ? talk->controller() : nullptr;
    if (!talking)
        return;
    const TalkKey key = Prefs::talkKey();
    const QList<quint16> codes = TalkKeys::keyCodes(key);
    if (codes.isEmpty())
        return;
    // The first code is the left key where there are two; its device bit is the lowest one.
    const quint64 device = TalkKeys::deviceFlags(key);
    const quint64 bit = device & (~device + 1);
    talking->handle(TalkKeyEvent{TalkKeyEvent::Type::flagsChanged, codes.first(),
                                 change == Hold::down ? bit : 0, clock.seconds});
}

} // namespace Autopilot
