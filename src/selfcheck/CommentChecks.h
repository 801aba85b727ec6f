#pragma once
#include <QPointF>

#include <functional>

class CanvasController;

// Comment placement, crop handles and the crop pan, on the canvas of a shot taken 40 points
// short of the staged screen's right edge: where a comment's box goes and how a long comment
// wraps, a crop handle that grows near the pointer and crops, a comment that lights up, edits
// in one click and moves by a drag, a box by the window's edge, and a crop handle held in the
// window's corner that pans only until the picture's end is in sight.
namespace Autopilot {

struct Handover;

// The checks (writes "13-note-beside" … "13f-crop-at-its-end"); then closes the canvas, opens
// the wide-shot canvas and schedules the wide-shot checks. Ends the run without a canvas.
void commentChecks(const Handover &handover);

// Tests: the step the canvas allows while the crop handle is held in the window's corner; by
// default the canvas's own edgePanStep.
std::function<QPointF(CanvasController *, QPointF step)> &cornerPanStepForTesting();

} // namespace Autopilot
