#pragma once
#include <QFlags>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// A global shortcut: a key code of the application's key table, a set of modifier keys and the
// text shown for the key. Stored as a JSON object {"keyCode", "modifiers", "key"}.
struct Shortcut {
    enum Modifier { Control = 1, Option = 2, Shift = 4, Command = 8 };
    Q_DECLARE_FLAGS(Modifiers, Modifier)

    int keyCode = 0;
    Modifiers modifiers;
    QString key;

    bool operator==(const Shortcut &other) const = default;

    // The shortcut as the user reads it: "Ctrl+Shift+2" (Ctrl, Alt, Shift, Super, then the key).
    QString displayText() const;

    QJsonObject toJson() const;
    // Nothing unless the value is an object holding all three keys with the right types.
    static std::optional<Shortcut> fromJson(const QJsonValue &value);

    // The modifier set as key-event flags (EventFlag bits) and back; other flag bits are ignored.
    static quint64 eventFlags(Modifiers modifiers);
    static Modifiers modifiersFromEventFlags(quint64 flags);

    static bool isFunctionKey(int keyCode);
    // The name shown for a key while a shortcut is recorded: the function or special key's name,
    // else the typed characters in upper case; "?" when the event carried no characters at all.
    static QString keyName(int keyCode, const std::optional<QString> &characters);
    // A global shortcut needs Ctrl, Alt or Super, unless the key is a function key.
    static bool isAcceptable(int keyCode, Modifiers modifiers);
};
Q_DECLARE_OPERATORS_FOR_FLAGS(Shortcut::Modifiers)
