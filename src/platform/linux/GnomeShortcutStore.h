#pragma once
#include "platform/SystemShortcutStore.h"

#include <QHash>
#include <QStringList>

#include <optional>

// GNOME's screenshot and input-source keybindings, read and written with the gsettings tool.
// Switching one off empties its list of accelerators; switching it on resets the key to GNOME's
// default. Only the keys whose schema is installed make up the table.
class GnomeShortcutStore : public SystemShortcutStore
{
public:
    explicit GnomeShortcutStore(QString program = QStringLiteral("gsettings"));

    QList<BuiltIn> builtIns() const override;
    QString settingsPlace() const override
    {
        return QStringLiteral("Settings, Keyboard, View and Customize Shortcuts");
    }
    std::optional<QJsonObject> read() const override;
    bool write(const QJsonObject &settings) override;

    // Whether the gsettings tool runs and knows at least one of the keys.
    bool isAvailable() const { return !builtIns().isEmpty(); }

    // Key code and EventFlag bits of a GTK accelerator ("<Shift><Super>space"); nothing for an
    // accelerator whose key or modifiers the key table cannot express.
    static std::optional<std::pair<int, quint64>> parseAccelerator(const QString &accelerator);
    // The accelerators of a gsettings string list as printed ("['<Super>space', 'XF86Keyboard']").
    static std::optional<QStringList> parseList(const QString &printed);

private:
    // A table row whose gsettings key is installed.
    struct Key {
        BuiltIn builtIn;
        QString schema;
        QString key;
    };
    const QList<Key> &keys() const;
    // The accelerators of every key of the table, read with one call per schema; a key that
    // could not be read is missing.
    QHash<QString, QStringList> currentLists() const;
    std::optional<QString> run(const QStringList &arguments) const;

    QString m_program;
    mutable std::optional<QList<Key>> m_keys;
};
