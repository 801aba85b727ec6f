#pragma once
#include "app/Shortcut.h"

#include <QKeySequence>

#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QMenu;

// Key equivalents of menu items: the key sequence an item shows and answers to, read as the
// application's key codes and event-flag bits so that a key event can be matched against it.
namespace MenuKeyEquivalents {

// A key code with event-flag modifiers (Shift, Control, Option, Command bits) as a key sequence;
// empty when the key table has no Qt key for the code.
QKeySequence sequence(int keyCode, quint64 eventFlags);
// The key sequence of a shortcut.
QKeySequence sequence(const Shortcut &shortcut);

// A key sequence spelled as the rest of the application spells keys: "Ctrl+Shift+Super+2"
// (Ctrl, Alt, Shift, Super, then the key), not Qt's "Meta+Ctrl+Shift+2".
QString shownText(const QKeySequence &keys);

// An item's key equivalent as key code and event-flag bits; nothing when it has none.
struct Key {
    int keyCode = 0;
    quint64 eventFlags = 0;
};
std::optional<Key> of(const QAction *item);
// The key code and event flags of a key press that may choose an item; nothing for a modifier
// key on its own or a key the key table does not know.
std::optional<Key> ofEvent(const QKeyEvent *event);

} // namespace MenuKeyEquivalents

// Answers which item of the menu a key event chooses. When the hook is filled and answers true
// for the event (it has dispatched a capture whose shortcut it is), the capture wins: nothing.
// Otherwise the first of the menu's own items (not those of its submenus) that is enabled and
// whose key equivalent has the event's key code and the same Shift, Control, Option and Command
// bits (other bits are ignored). Nothing when no item matches.
QAction *matchKeyEquivalent(const QMenu *menu, int keyCode, quint64 eventFlags,
                            const std::function<bool(int, quint64)> &hook);
