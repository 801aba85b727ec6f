#include "app/MenuKeyEquivalents.h"

#include "platform/KeyTable.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

namespace {
constexpr quint64 modifierBits =
    EventFlag::Shift | EventFlag::Control | EventFlag::Option | EventFlag::Command;
}

namespace MenuKeyEquivalents {

QKeySequence sequence(int keyCode, quint64 eventFlags)
{
    bool keypad = false;
    const std::optional<int> qtKey = KeyTable::toQtKey(keyCode, &keypad);
    if (!qtKey)
        return {};
    Qt::KeyboardModifiers mods = KeyTable::qtFromFlags(eventFlags & modifierBits);
    if (keypad)
        mods |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(mods, Qt::Key(*qtKey)));
}

QKeySequence sequence(const Shortcut &shortcut)
{
    return sequence(shortcut.keyCode, Shortcut::eventFlags(shortcut.modifiers));
}

QString shownText(const QKeySequence &keys)
{
    if (keys.isEmpty())
        return {};
    const QKeyCombination c = keys[0];
    const Qt::KeyboardModifiers mods = c.keyboardModifiers();
    QString out;
    if (mods & Qt::ControlModifier)
        out += QStringLiteral("Ctrl+");
    if (mods & Qt::AltModifier)
        out += QStringLiteral("Alt+");
    if (mods & Qt::ShiftModifier)
        out += QStringLiteral("Shift+");
    if (mods & Qt::MetaModifier)
        out += QStringLiteral("Super+");
    return out + QKeySequence(c.key()).toString(QKeySequence::NativeText);
}

std::optional<Key> of(const QAction *item)
{
    const QKeySequence keys = item->shortcut();
    if (keys.isEmpty())
        return std::nullopt;
    const QKeyCombination combination = keys[0];
    const std::optional<int> code =
        KeyTable::fromQtKey(combination.key(), combination.keyboardModifiers());
    if (!code)
        return std::nullopt;
    return Key{*code, KeyTable::flagsFromQt(combination.keyboardModifiers()) & modifierBits};
}

std::optional<Key> ofEvent(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Control: case Qt::Key_Shift: case Qt::Key_Alt: case Qt::Key_Meta:
    case Qt::Key_Super_L: case Qt::Key_Super_R: case Qt::Key_AltGr:
        return std::nullopt; // a modifier on its own chooses nothing
    default:
        break;
    }
    const std::optional<int> code = KeyTable::fromQtKey(event->key(), event->modifiers());
    if (!code)
        return std::nullopt;
    return Key{*code, KeyTable::flagsFromQt(event->modifiers())};
}

} // namespace MenuKeyEquivalents

QAction *matchKeyEquivalent(const QMenu *menu, int keyCode, quint64 eventFlags,
                            const std::function<bool(int, quint64)> &hook)
{
    if (hook && hook(keyCode, eventFlags))
        return nullptr;
    const quint64 wanted = eventFlags & modifierBits;
    for (QAction *item : menu->actions()) {
        if (!item->isEnabled())
            continue;
        const std::optional<MenuKeyEquivalents::Key> key = MenuKeyEquivalents::of(item);
        if (key && key->keyCode == keyCode && key->eventFlags == wanted)
            return item;
    }
    return nullptr;
}
