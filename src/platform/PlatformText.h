#pragma once
#include <QString>

// Renders the application's texts in the words of a Linux desktop: key glyphs become key names
// ("⇧⌘2" → "Ctrl+Shift+2"), and the names of the other system's parts become ours.
namespace PlatformText {
// The modifier glyphs ⌃ ⌥ ⇧ ⌘ of a shortcut, shown as "Ctrl+", "Alt+", "Shift+", "Super+" in that
// order, followed by the key's name; "↩" is "Return".
QString keys(const QString &glyphs);
// A sentence: every run of key glyphs rendered as keys(), and "macOS", "Finder", "Dock" and
// "menu bar" replaced by "the system", "the file manager", "taskbar" and "tray".
QString words(const QString &text);
} // namespace PlatformText
