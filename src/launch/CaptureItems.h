#pragma once
#include "app/CaptureAction.h"
#include "app/HotKeyCenter.h"
#include "app/Shortcut.h"

#include <QString>

#include <map>
#include <optional>

struct MenuActions;
class QAction;
class QMenu;
class QObject;

// How the capture items of the menus show the state of the capture shortcuts.
namespace CaptureItems {

// Adds the action's item to the menu. Its data is the action's raw name; choosing it runs the
// capture 0.15 s later (once the menu has closed), while context exists. Disabled when the
// capture command is empty.
QAction *add(QMenu *menu, CaptureAction action, const MenuActions &actions, QObject *context);

// A capture item (status menu or "Capture" menu): the action's title; with a working shortcut
// whose key is one character, that key as the item's key equivalent; with a working shortcut on
// another key (F5, Space, an arrow), the title, four blanks and the shortcut's text.
void apply(QAction *item, CaptureAction action, const std::optional<Shortcut> &shortcut,
           bool active);
// A "Hotkeys" item: "<title>:  Ctrl+Shift+2", "…, not working" when the shortcut does not work,
// "not set" without one.
QString hotkeyTitle(CaptureAction action, const std::optional<Shortcut> &shortcut, bool active);
// The tooltip of an action's "Hotkeys" item.
QString hotkeyTooltip(CaptureAction action);
// The number of actions whose shortcut is held by another application or by the desktop.
int problemCount(const std::map<CaptureAction, HotKeyCenter::Status> &statuses);
// The problem items' title for that number (empty for 0).
QString problemTitle(int count);

} // namespace CaptureItems
