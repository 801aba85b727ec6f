#pragma once
#include "app/Shortcut.h"

#include <QStringList>

// The keycaps that show a shortcut, one per key in the order the user reads them: "Ctrl",
// "Alt", "Shift", "Super", then the key ("2", "F5", "Space").
namespace ShortcutCaps {
QStringList caps(const Shortcut &shortcut);
// The names of modifier keys, in the same order.
QStringList modifierNames(Shortcut::Modifiers modifiers);
} // namespace ShortcutCaps
