#pragma once
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

class QWidget;

// Shows text in a small glass capsule just above the pointer for a number of seconds (0.9 for
// most messages), then fades it out over 0.25 s. A newer toast replaces the one showing at once.
// Never takes focus or clicks. Main thread only.
void toast(const QString &text, double seconds = 0.9);

namespace Toast {
// Where a capsule of the given size goes for a pointer at p: centred on it, its bottom 18 pt
// above it, kept 8 pt inside the visible frame (the left side wins when it is too wide, the top
// side keeps 8 pt below the frame's top). A null frame (no screen under the pointer) leaves the
// position unchanged.
QPoint placement(const QPoint &pointer, const QSize &size, const QRect &visibleFrame);
// The capsule's own area in a panel of the given size: the window's shape where no compositing
// manager blends its transparent corners.
QRegion capsuleMask(const QSize &size);
// The toast showing now, or none (tests).
QWidget *current();
// Takes the toast showing now off the screen at once, so that a capture about to freeze the
// displays does not picture it. Answers whether one was showing.
bool dismiss();
} // namespace Toast
