#pragma once
#include "document/TalkKey.h"

#include <QString>

// Renders the application's texts in the words of a Linux desktop: key glyphs become key names
// ("⇧⌘2" → "Ctrl+Shift+2"), and the names of the other system's parts become ours.
namespace PlatformText {
// The modifier glyphs ⌃ ⌥ ⇧ ⌘ of a shortcut, shown as "Ctrl+", "Alt+", "Shift+", "Super+" in that
// order, followed by the key's name; "↩" is "Return".
QString keys(const QString &glyphs);
// A sentence: every run of key glyphs rendered as keys() (a run standing alone, before a blank
// or ", " or ":", names the keys: "⌘, ⌃" is "Ctrl, Super", "⌃: talk" is "Super: talk"; "⌘-drag" is
// "Ctrl+drag"; "⌘↑↓" is "Ctrl+↑↓"), and "macOS", "Finder", "Dock", "menu bar"
// and "this Mac" replaced by "the system", "the file manager", "taskbar", "tray" and
// "this computer".
QString words(const QString &text);
// The talk key as Linux users read it: the Control keys stand for the Super keys, right Option
// for right Alt, right Command for right Ctrl. As a title "Super", "Right Alt", "Right Ctrl";
// inside a sentence "Super", "right Alt", "right Ctrl".
QString talkKeyTitle(TalkKey key);
QString talkKeyInSentence(TalkKey key);
// A path as the user reads it: inside the home folder it starts with "~" ("~/.local/bin").
QString pathShown(const QString &path, const QString &home = {});
} // namespace PlatformText
