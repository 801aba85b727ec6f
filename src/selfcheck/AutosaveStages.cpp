#include "AutosaveStages.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "Chain.h"
#include "Detail.h"

#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "history/Recents.h"

namespace Autopilot {
namespace {
const QString stillTyping = QStringLiteral("still typing");

// Waits until every history write handed over so far is on disk.
void drainHistory()
{
    Recents::queue().sync([] {});
}

// Whether the newest history entry holds a text that reads "still typing".
bool newestKeepsTyping()
{
    const QList<Recents::Entry> entries = Recents::list();
    if (entries.isEmpty())
        return false;
    const std::optional<Recents::Loaded> loaded = Recents::load(entries.first().id);
    if (!loaded)
        return false;
    const ItemList &items = loaded->markup.items;
    return std::any_of(items.begin(), items.end(),
                       [](const Item &item) { return item.kind == ItemKind::text && item.string == stillTyping; });
}
} // namespace

void autosaveStage(const Handover &handover)
{
    Handover on = handover;
    on.session = openCanvas(handover, QRectF(200, 150, 640, 400));
    Chain::next(13, on);
}

void autosaveTyping(const Handover &handover)
{
    CanvasController *c = canvasOf(handover.session);
    if (!c) {
        stageFailed(QStringLiteral("autosave canvas opens"));
        return;
    }
    click(c, QPointF(300, 250));
    type(c, stillTyping);
    Handover on = handover;
    on.controller = c;
    Chain::next(14, on);
}

void autosaveChecks(const Handover &handover)
{
    drainHistory();
    const bool kept = newestKeepsTyping();
    const bool editing = handover.controller && handover.controller->editing;
    check(QStringLiteral("the open canvas autosaves, with the comment being typed"), kept && editing, [&] {
        return QStringLiteral("kept=") + Detail::text(kept) + QStringLiteral(" editing=") + Detail::text(editing);
    });
    Handover on = handover;
    on.entriesBeforeClose = int(Recents::list().size());
    closeCanvas(handover.session);
    drainHistory();
    on.session = nullptr;
    on.controller = nullptr;
    Chain::next(15, on);
}

void autosaveClosedCheck(const Handover &handover)
{
    const int after = int(Recents::list().size());
    check(QStringLiteral("closing updates the autosaved entry, not a second one"), after == handover.entriesBeforeClose,
          [&] { return Detail::versus(after, handover.entriesBeforeClose); });
    Chain::next(16, handover);
}

} // namespace Autopilot
