#pragma once
#include "Shortcut.h"
#include "platform/SystemShortcutStore.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The desktop's own global shortcuts that are switched on, read from the settings form of
// SystemShortcutStore, and the clash of a capture shortcut with one of them.
namespace SystemShortcuts {
struct Entry {
    int id = 0;
    QString name;
    int keyCode = 0;
    Shortcut::Modifiers modifiers;
    bool operator==(const Entry &other) const = default;
};

// The enabled shortcuts, sorted by id. A shortcut of the table that the settings do not list
// counts as on with its default keys.
QList<Entry> entries(const std::optional<QJsonObject> &settings,
                     const QList<SystemShortcutStore::BuiltIn> &table);
// The store's enabled shortcuts, read now.
QList<Entry> entries(const SystemShortcutStore &store);
// The first entry with the shortcut's key code and exactly its modifiers.
std::optional<Entry> entry(const Shortcut &shortcut, const QList<Entry> &entries);
// A copy of the settings with one shortcut switched on or off; an id neither listed nor in the
// table leaves the settings as they are.
QJsonObject settingEnabled(int id, bool on, const std::optional<QJsonObject> &settings,
                           const QList<SystemShortcutStore::BuiltIn> &table);
} // namespace SystemShortcuts

