#include "CanvasController.h"

// What the capture dispatch reads of the canvas for a further shot.

int CanvasController::shotCount() const
{
    return int(markup.shots.size());
}
