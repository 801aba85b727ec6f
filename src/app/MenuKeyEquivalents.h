#pragma once
#include "app/Shortcut.h"

#include <QKeySequence>

#include <functional>
#include <optional>

class QAction;
class QMenu;

// Key equivalents of menu items: the key sequence an item shows and answers to, read as the
// application's key codes and event-flag bits so that a key event can be matched against it.
namespace MenuKeyEquivalents {

// A key code with event-flag modifiers (Shift, Control, Option, Command bits) as a key sequence;
// empty when the key table has no Qt key for the code.
QKeySequence sequence(int keyCode, quint64 eventFlags);
// The key sequence of a shortcut.
QKeySequence sequence(const Shortcut &shortcut);

// An item's key equivalent as key code and event-flag bits; nothing when it has none.
struct Key {
    int keyCode = 0;
    quint64 eventFlags = 0;
};
std::optional<Key> of(const QAction *item);

} // namespace MenuKeyEquivalents

// Answers which item of the menu a key event chooses. When the hook is filled and answers true
// for the event (it has dispatched a capture whose shortcut it is), the capture wins: nothing.
// Otherwise the first of the menu's own items (not those of its submenus) that is enabled and
// whose key equivalent has the event's key code and the same Shift, Control, Option and Command
// bits (other bits are ignored). Nothing when no item matches.
QAction *matchKeyEquivalent(const QMenu *menu, int keyCode, quint64 eventFlags,
                            const std::function<bool(int, quint64)> &hook);
