#pragma once
#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CanvasController;
class CaptureSession;
class OverlayView;
class OverlayWindow;

// The fixed chain of the self-check's stages. Each step names its stage, the function that runs
// it (none while this build lacks the stage) and what comes after it: the next step at once, or
// the next step scheduled that many seconds later. A stage runs with what its predecessor
// handed on and, when its script is done, hands on with next(); the chain keeps the order and
// the delays. A missing stage that is next in the chain ends the run.
namespace Autopilot {

// What one stage hands to the next.
struct Handover
{
    QImage picture;               // the staged picture, 2880 × 1800 pixels
    QString folder;               // the output folder
    QSize screen{1440, 900};      // the staged screen in points
    QPointer<OverlayView> overlay;
    QPointer<OverlayWindow> window;
    QPointer<CanvasController> controller;
    QPointer<CaptureSession> session;
    int shape = 0;                // the shape step 23 is at: 0 wide, 1 ordinary, 2 tall
    int historyBefore = 0;        // history entries before the pages of step 9 were saved
    QStringList savedIDs;         // the history ids of those pages, in page order
    QImage secondPicture;         // the picture of the shot step 11 adds to the open canvas
    QImage exported;              // E: the first export of the marked-up canvas
    QString entry;                // the history entry that canvas was saved as
    int items = 0;                // the number of items of that canvas
    QImage pasted;                // the picture read back from the density pasteboard
    double pastedScale = 0;       // its pixel scale
    int entriesBeforeClose = 0;   // history entries just before the autosaved canvas closed
};

namespace Chain {

struct Step
{
    int number;           // 1...25
    const char *name;     // the stage's name, as stderr and "not in this build" lines give it
    std::function<void(const Handover &)> run; // empty while the stage is not built
    std::optional<double> then; // seconds before the next step; none: the next step is called
};

// The 25 steps in order.
const QList<Step> &steps();

// Runs step number (1-based) with what it is handed; after the last step, finish.
void go(int number, const Handover &handover);
// Called by step number when its script is done: the next step runs as the chain says (step 23
// repeats itself for each shape before step 24).
void next(int number, const Handover &handover);

// Tests: when set, next() hands what it would run (the step, its hand-over, the delay before it)
// here instead of going on.
std::function<void(int number, const Handover &handover, std::optional<double> delay)> &nextForTesting();

} // namespace Chain
} // namespace Autopilot
