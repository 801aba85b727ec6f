#pragma once
#include "CaptureAction.h"

class HotKeyCenter;

// The clash alert: when the action's shortcut is one of the desktop's own, explains it and, on
// consent, takes the combination over (with a toast telling how it went). True when nothing
// clashes or the takeover made the shortcut work.
bool offerTakeOver(CaptureAction action, HotKeyCenter &center);
// Runs the clash alert for every action whose shortcut clashes, one after another.
void offerTakeOverForAll(HotKeyCenter &center);
