#pragma once
#include <QStringList>

class CanvasController;
class QWidget;

namespace Autopilot {
struct Handover;

// Step 10 of the chain: the history kept every page of the several-shots canvas as its own
// entry, and one entry brings back the group in page order. Then, on the same canvas and in
// this order: the rail walk, the rail's columns, the rail picking (which schedules
// earlierCapturesBack for the next turn) and the staging of another shot, which hands on.
void historyPages(const Handover &handover);

// Picking thumbnails (Ctrl-click, Shift-click, Escape, Shift+arrows), dragging the picks out as
// PNG files, Delete of every pick and one Ctrl+Z bringing them back; pictures "8f-rail-picked"
// and "8g-rail-after-delete". Schedules earlierCapturesBack with the rail's rows at its start.
void railPicking(CanvasController *controller, QWidget *host, const QString &folder);
// The rail has as many rows again as when the picking began.
void earlierCapturesBack(CanvasController *controller, const QStringList &rows0);

} // namespace Autopilot
