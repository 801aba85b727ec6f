#pragma once
#include "Chain.h"
#include "ScriptedInput.h"

#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QSize>

class CanvasController;

namespace Autopilot {

// Opens pictures as a canvas the way a capture does, without a capture session (so nothing is
// autosaved): a staged overlay of the screen's size showing picture at scale, turned into the
// canvas window for the markup's shot (the shots' bounds with several, then fitted).
StagedOverlay openPicturesCanvas(const Markup &markup, const ShotImages &images, const QImage &picture,
                                 double scale, QSize screen);

// A picture of that size in points as a capture of it would be: one shot at (0, 0), its unit
// the one that shows the shot at the size it is fitted to when centred on the screen.
Markup fittedPicture(QSizeF points, QSize screen);

// What a stage hands on once it opened a canvas: the hand-over it got, with that overlay.
Handover withOverlay(const Handover &handover, const StagedOverlay &staged);

// The canvas an overlay became, or none.
CanvasController *canvasOf(const OverlayView *view);

} // namespace Autopilot
