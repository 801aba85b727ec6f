#pragma once
#include <QUuid>

class CanvasController;
class QWidget;

namespace Autopilot {

// The two small controls under a comment, the grip and the bin: where they show and when they
// go, the pointer's shape over them, a comment dragged by its grip (open for typing or not,
// keeping its caret and its typing), and the bin deleting it with one click that Undo takes
// back. commentID: a comment of an arrow; host: the view that holds the canvas. Pictures
// "13d2-comment-controls" to "13d5-comment-bin". Leaves the comment moved, its text ending in
// " MOVED" at the caret, deleted and brought back.
void commentControls(CanvasController *controller, const QUuid &commentID, QWidget *host);

} // namespace Autopilot
