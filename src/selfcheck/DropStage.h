#pragma once
#include "Chain.h"

#include "capture/Importer.h"

#include <functional>

class QMimeData;

// Pictures dropped together: the importer reads each picture file in order and counts the rest,
// each picture becomes a page of one canvas (the first open, the others waiting in the rail),
// pages only looked at stay out of the history while a marked one goes in, pictures dropped on
// the open canvas go in front, and a page sent out is ticked without counting as marked.
// Called by the import check; runs at once and returns.
namespace Autopilot {

void dropStage(const Handover &handover);

// How the stage reads the dropped files; tests put in an importer with a fault.
std::function<Importer::Loaded(const QMimeData *)> &dropReader();

} // namespace Autopilot
