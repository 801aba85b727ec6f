#pragma once

// Whether see-through windows look see-through: on X11 a compositing manager owns the
// _NET_WM_CM_S selection of the screen. Platforms other than X11 (the offscreen one of tests)
// count as composited. Main thread only.
namespace Compositing {
bool isActive();
}
