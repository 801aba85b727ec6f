#pragma once
#include "Chain.h"

#include <QByteArray>
#include <QImage>

#include <functional>

// Steps 4 to 8 of the self-check: the page the canvas checks saved comes back from the history
// with every mark and the same export; a small capture at the bottom of the screen gets a
// screen of canvas around it and pans freely; a paused history keeps nothing; a picture on a
// named pasteboard is read at its own density; the history holds one entry; the pasteboard's
// picture opens as a canvas and exports at full size.
namespace Autopilot {

void reopenChecks(const Handover &handover);
void reopenedCanvasChecks(const Handover &handover);
void pausedHistoryAndDensityChecks(const Handover &handover);
void historyCountCheck(const Handover &handover);
void importCheck(const Handover &handover);

// The PNG data put on the density pasteboard for a picture at a pixel scale (the picture with
// its resolution); tests put in one that drops the resolution.
std::function<QByteArray(const QImage &, double)> &densityPng();

} // namespace Autopilot
