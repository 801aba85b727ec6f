#include "SystemShortcuts.h"

#include "platform/PlatformText.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <climits>

namespace SystemShortcuts {
namespace {
constexpr qint64 noKey = 0xffff;

std::optional<qint64> integral(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d != double(qint64(d)) || d < -9.0e15 || d > 9.0e15)
        return std::nullopt;
    return qint64(d);
}

std::optional<int> idOf(const QString &key)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(key).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int id = key.toInt(&ok);
    return ok ? std::optional<int>(id) : std::nullopt;
}

bool isEnabled(const QJsonObject &value)
{
    const QJsonValue e = value.value(QLatin1String("enabled"));
    if (e.isBool())
        return e.toBool();
    if (const auto n = integral(e))
        return *n != 0;
    return false;
}

// Key code and flags of an entry's parameters: at least three numbers.
std::optional<std::pair<qint64, qint64>> keysOf(const QJsonObject &value)
{
    const QJsonValue v = value.value(QLatin1String("value"));
    if (!v.isObject())
        return std::nullopt;
    const QJsonValue p = v.toObject().value(QLatin1String("parameters"));
    if (!p.isArray())
        return std::nullopt;
    const QJsonArray params = p.toArray();
    if (params.size() < 3)
        return std::nullopt;
    for (const QJsonValue &n : params)
        if (!n.isDouble())
            return std::nullopt;
    const auto code = integral(params.at(1));
    const auto flags = integral(params.at(2));
    if (!code || !flags)
        return std::nullopt;
    return std::pair{*code, *flags};
}

QString nameOf(int id, const QList<SystemShortcutStore::BuiltIn> &table)
{
    for (const auto &b : table)
        if (b.id == id)
            return b.name;
    return PlatformText::words(QStringLiteral("macOS shortcut %1").arg(id));
}
} // namespace

QList<Entry> entries(const std::optional<QJsonObject> &settings,
                     const QList<SystemShortcutStore::BuiltIn> &table)
{
    QList<Entry> out;
    QSet<int> listed;
    const QJsonObject dict = settings.value_or(QJsonObject());
    for (auto it = dict.begin(); it != dict.end(); ++it) {
        const auto id = idOf(it.key());
        if (!id || !it.value().isObject())
            continue;
        listed.insert(*id);
        const QJsonObject value = it.value().toObject();
        if (!isEnabled(value))
            continue;
        const auto keys = keysOf(value);
        if (!keys || keys->first == noKey || keys->first < INT_MIN || keys->first > INT_MAX)
            continue;
        out.append(Entry{*id, nameOf(*id, table), int(keys->first),
                         Shortcut::modifiersFromEventFlags(quint64(keys->second))});
    }
    for (const auto &b : table)
        if (!listed.contains(b.id) && b.keyCode != noKey)
            out.append(Entry{b.id, b.name, b.keyCode, Shortcut::modifiersFromEventFlags(b.eventFlags)});
    std::stable_sort(out.begin(), out.end(),
                     [](const Entry &a, const Entry &b) { return a.id < b.id; });
    return out;
}

QList<Entry> entries(const SystemShortcutStore &store)
{
    return entries(store.read(), store.builtIns());
}

std::optional<Entry> entry(const Shortcut &shortcut, const QList<Entry> &entries)
{
    for (const Entry &e : entries)
        if (e.keyCode == shortcut.keyCode && e.modifiers == shortcut.modifiers)
            return e;
    return std::nullopt;
}

QJsonObject settingEnabled(int id, bool on, const std::optional<QJsonObject> &settings,
                           const QList<SystemShortcutStore::BuiltIn> &table)
{
    QJsonObject out = settings.value_or(QJsonObject());
    const QString key = QString::number(id);
    if (out.value(key).isObject()) {
        QJsonObject e = out.value(key).toObject();
        e.insert(QStringLiteral("enabled"), on);
        out.insert(key, e);
        return out;
    }
    for (const auto &b : table) {
        if (b.id != id)
            continue;
        out.insert(key, QJsonObject{
                            {QStringLiteral("enabled"), on},
                            {QStringLiteral("value"),
                             QJsonObject{{QStringLiteral("parameters"),
                                          QJsonArray{noKey, b.keyCode, double(b.eventFlags)}},
                                         {QStringLiteral("type"), QStringLiteral("standard")}}},
                        });
        break;
    }
    return out;
}

} // namespace SystemShortcuts
