#pragma once
#include <QImage>
#include <QList>
#include <QString>

namespace Autopilot {
struct Handover;

// Step 9 of the chain: one canvas holds several shots as pages. Three new shots open on pages
// of their own at the top of the rail; the new page's thumbnail follows its comment as it is
// typed; each page keeps its marks and undo; switching pages makes no page picture again and
// restyles only the thumbnails whose ring moved; a page exports alone; pages come off and back
// by undo and redo; Delete and the arrows act on marks or pages depending on where the keyboard
// is. The pages are then saved into the history as one group and the history-pages stage
// follows (with the entry count before and the saved ids). Given the imported canvas's host
// view, its controller and the folder.
void severalShots(const Handover &handover);

// Whether switching pages kept every page's picture: the same picture objects (a picture made
// again, even with the same pixels, is another), each there and at most 1700 pixels wide.
bool samePagePictures(const QList<QImage> &before, const QList<QImage> &after);
// The pictures' widths as a detail, 0 for a missing one: "[1440, 0]".
QString pictureWidths(const QList<QImage> &pictures);

} // namespace Autopilot
