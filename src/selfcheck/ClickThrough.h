#pragma once
#include <QPointF>
#include <QString>

class QWidget;

namespace Autopilot {

// The widget a press at point (view coordinates) lands on, as the window's own hit test finds
// it: the deepest child of view there that takes the mouse, view itself where no child does, and
// none outside view.
QWidget *hitTest(QWidget *view, QPointF point);

// A scripted pointer gesture delivered as the window would deliver it: the hit test at start
// (view coordinates), then a press at start sent to the widget hit, six drags evenly along the
// way to end (none when click is set: the gesture ends where it began) and a release at end.
// Answers the widget hit; none, and nothing sent, when nothing is hit or view is in no window.
QWidget *clickThrough(QWidget *view, QPointF start, QPointF end, bool click);

// A widget as a detail tells it: its class, its object name in quotes when it has one, and its
// frame in its parent; "none" without one.
QString describe(const QWidget *widget);

} // namespace Autopilot
