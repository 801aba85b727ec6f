#pragma once
#include "platform/SystemShortcutStore.h"

// Shortcut settings kept in memory, with a table of our choosing; counts its writes.
class MemoryShortcutStore : public SystemShortcutStore
{
public:
    explicit MemoryShortcutStore(QList<BuiltIn> table = {}) : m_table(std::move(table)) {}

    QList<BuiltIn> builtIns() const override { return m_table; }
    std::optional<QJsonObject> read() const override { return m_settings; }
    bool write(const QJsonObject &settings) override
    {
        ++writes;
        if (refuseWrites)
            return false;
        m_settings = settings;
        return true;
    }

    void setSettings(std::optional<QJsonObject> settings) { m_settings = std::move(settings); }
    void setTable(QList<BuiltIn> table) { m_table = std::move(table); }

    QString settingsPlace() const override { return place; }

    int writes = 0;
    QString place;
    bool refuseWrites = false;

private:
    QList<BuiltIn> m_table;
    std::optional<QJsonObject> m_settings;
};
