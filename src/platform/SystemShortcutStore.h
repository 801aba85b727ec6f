#pragma once
#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

// The desktop's own global shortcuts that can clash with a capture shortcut (its screenshot and
// input-source keys), read and written in one settings form shared by every desktop:
//   { "<id>": { "enabled": bool, "value": { "parameters": [65535, keyCode, eventFlags],
//                                            "type": "standard" } } }
// keyCode is a key code of KeyTable, eventFlags are EventFlag bits. A desktop without such
// settings has an empty table and no settings.
class SystemShortcutStore
{
public:
    // One shortcut the desktop defines, with its name and the desktop's default keys.
    struct BuiltIn {
        int id = 0;
        QString name;
        int keyCode = 0;
        quint64 eventFlags = 0;
    };

    virtual ~SystemShortcutStore() = default;

    virtual QList<BuiltIn> builtIns() const = 0;
    // Nothing when the settings cannot be read.
    virtual std::optional<QJsonObject> read() const = 0;
    // Applies the settings at once; false when the desktop refused them.
    virtual bool write(const QJsonObject &settings) = 0;
    // Where the user changes these shortcuts in the desktop's own settings, as a path of
    // titles ("Settings, Keyboard, …"); empty when the store does not know the desktop.
    virtual QString settingsPlace() const { return {}; }

    // The store of the running desktop (GNOME's keybindings, or an empty store elsewhere).
    static SystemShortcutStore &shared();
    // Replaces the shared store (tests); nullptr brings back the desktop's own.
    static void setShared(SystemShortcutStore *store);
};
