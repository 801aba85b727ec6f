#pragma once
class GlobalKeyGrabber;
class SystemShortcutStore;

// Switches one of the desktop's own shortcuts on or off, everywhere at once; false when the
// desktop refused the change (the cause goes to the activity log).
bool setSystemShortcut(SystemShortcutStore &store, int id, bool enabled);

// Our own global shortcuts set aside while a shortcut is being recorded, so that the recorder
// sees the keys: saveAndDisable releases every grab (only when nothing is saved yet), restore
// takes them again and registers anew (only when something is saved).
namespace HotKeyMode {
void saveAndDisable(GlobalKeyGrabber &grabber);
void restore(GlobalKeyGrabber &grabber);
bool isSaved(const GlobalKeyGrabber &grabber);
void saveAndDisable();
void restore();
} // namespace HotKeyMode
