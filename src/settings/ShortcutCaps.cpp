#include "ShortcutCaps.h"

#include "platform/PlatformText.h"

namespace ShortcutCaps {

QStringList modifierNames(Shortcut::Modifiers modifiers)
{
    QStringList names;
    if (modifiers & Shortcut::Command)
        names << QStringLiteral("Ctrl");
    if (modifiers & Shortcut::Option)
        names << QStringLiteral("Alt");
    if (modifiers & Shortcut::Shift)
        names << QStringLiteral("Shift");
    if (modifiers & Shortcut::Control)
        names << QStringLiteral("Super");
    return names;
}

QStringList caps(const Shortcut &shortcut)
{
    QStringList out = modifierNames(shortcut.modifiers);
    if (!shortcut.key.isEmpty())
        out << PlatformText::keys(shortcut.key);
    return out;
}

} // namespace ShortcutCaps
