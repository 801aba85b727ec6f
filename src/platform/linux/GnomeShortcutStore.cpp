#include "GnomeShortcutStore.h"

#include "platform/KeyTable.h"

#include <QHash>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace {
constexpr int noKey = 0xffff;

struct Row {
    int id;
    const char *name;
    const char *schema;
    const char *key;
    const char *defaultAccelerator;
};

// GNOME's names and default keys. Print is not in the key table, so the screenshot keys clash
// only when the user has moved them onto keys a capture shortcut can use.
constexpr Row table[] = {
    {1, "Take a screenshot", "org.gnome.shell.keybindings", "screenshot", "<Shift>Print"},
    {2, "Take a screenshot of a window", "org.gnome.shell.keybindings", "screenshot-window",
     "<Alt>Print"},
    {3, "Take a screenshot interactively", "org.gnome.shell.keybindings", "show-screenshot-ui",
     "Print"},
    {4, "Switch to next input source", "org.gnome.desktop.wm.keybindings", "switch-input-source",
     "<Super>space"},
    {5, "Switch to previous input source", "org.gnome.desktop.wm.keybindings",
     "switch-input-source-backward", "<Shift><Super>space"},
};

std::optional<quint32> keysymOfName(const QString &name)
{
    static const QHash<QString, quint32> named = {
        {QStringLiteral("space"), 0x20},        {QStringLiteral("Return"), 0xff0d},
        {QStringLiteral("Tab"), 0xff09},        {QStringLiteral("Escape"), 0xff1b},
        {QStringLiteral("BackSpace"), 0xff08},  {QStringLiteral("Delete"), 0xffff},
        {QStringLiteral("Home"), 0xff50},       {QStringLiteral("End"), 0xff57},
        {QStringLiteral("Page_Up"), 0xff55},    {QStringLiteral("Page_Down"), 0xff56},
        {QStringLiteral("Prior"), 0xff55},      {QStringLiteral("Next"), 0xff56},
        {QStringLiteral("Left"), 0xff51},       {QStringLiteral("Right"), 0xff53},
        {QStringLiteral("Up"), 0xff52},         {QStringLiteral("Down"), 0xff54},
        {QStringLiteral("minus"), 0x2d},        {QStringLiteral("equal"), 0x3d},
        {QStringLiteral("bracketleft"), 0x5b},  {QStringLiteral("bracketright"), 0x5d},
        {QStringLiteral("backslash"), 0x5c},    {QStringLiteral("semicolon"), 0x3b},
        {QStringLiteral("apostrophe"), 0x27},   {QStringLiteral("comma"), 0x2c},
        {QStringLiteral("period"), 0x2e},       {QStringLiteral("slash"), 0x2f},
        {QStringLiteral("grave"), 0x60},        {QStringLiteral("KP_Enter"), 0xff8d},
    };
    if (name.size() == 1 && name.at(0).unicode() > 0x20 && name.at(0).unicode() < 0x7f)
        return name.at(0).toLower().unicode();
    if (const auto it = named.constFind(name); it != named.cend())
        return *it;
    static const QRegularExpression fkey(QStringLiteral("^F([1-9]|1[0-9]|20)$"));
    if (const auto m = fkey.match(name); m.hasMatch())
        return 0xffbe + m.captured(1).toUInt() - 1;
    return std::nullopt;
}

QJsonObject entry(bool enabled, int keyCode, quint64 flags)
{
    return QJsonObject{
        {QStringLiteral("enabled"), enabled},
        {QStringLiteral("value"),
         QJsonObject{{QStringLiteral("parameters"),
                      QJsonArray{noKey, keyCode, double(flags)}},
                     {QStringLiteral("type"), QStringLiteral("standard")}}},
    };
}

std::optional<bool> enabledOf(const QJsonValue &value)
{
    const QJsonValue e = value.toObject().value(QLatin1String("enabled"));
    if (e.isBool())
        return e.toBool();
    if (e.isDouble())
        return e.toDouble() != 0;
    return std::nullopt;
}
} // namespace

GnomeShortcutStore::GnomeShortcutStore(QString program) : m_program(std::move(program)) {}

std::optional<QString> GnomeShortcutStore::run(const QStringList &arguments) const
{
    QProcess p;
    p.start(m_program, arguments, QIODevice::ReadOnly);
    if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(1000);
        return std::nullopt;
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

const QList<GnomeShortcutStore::Key> &GnomeShortcutStore::keys() const
{
    if (m_keys)
        return *m_keys;
    m_keys.emplace();
    const auto schemas = run({QStringLiteral("list-schemas")});
    if (!schemas)
        return *m_keys;
    const QSet<QString> installed = [&] {
        const QStringList lines = schemas->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return QSet<QString>(lines.begin(), lines.end());
    }();
    QHash<QString, QSet<QString>> keysOf;
    for (const Row &r : table) {
        const QString schema = QString::fromLatin1(r.schema);
        if (!installed.contains(schema))
            continue;
        if (!keysOf.contains(schema)) {
            const QStringList names = run({QStringLiteral("list-keys"), schema})
                                          .value_or(QString())
                                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            keysOf.insert(schema, QSet<QString>(names.begin(), names.end()));
        }
        if (!keysOf.value(schema).contains(QString::fromLatin1(r.key)))
            continue;
        const auto keys = parseAccelerator(QString::fromLatin1(r.defaultAccelerator));
        m_keys->append(Key{BuiltIn{r.id, QString::fromLatin1(r.name), keys ? keys->first : noKey,
                                   keys ? keys->second : 0},
                           schema, QString::fromLatin1(r.key)});
    }
    return *m_keys;
}

QHash<QString, QStringList> GnomeShortcutStore::currentLists() const
{
    QHash<QString, QStringList> lists;
    QSet<QString> schemas;
    for (const Key &k : keys())
        schemas.insert(k.schema);
    // Lines of "schema key value".
    for (const QString &schema : std::as_const(schemas)) {
        const auto printed = run({QStringLiteral("list-recursively"), schema});
        if (!printed)
            continue;
        for (const QString &line : printed->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() < 3 || parts[0] != schema)
                continue;
            if (const auto list = parseList(parts.mid(2).join(QLatin1Char(' '))))
                lists.insert(schema + QLatin1Char(' ') + parts[1], *list);
        }
    }
    return lists;
}

QList<SystemShortcutStore::BuiltIn> GnomeShortcutStore::builtIns() const
{
    QList<BuiltIn> out;
    for (const Key &k : keys())
        out.append(k.builtIn);
    return out;
}

std::optional<QJsonObject> GnomeShortcutStore::read() const
{
    if (keys().isEmpty())
        return std::nullopt;
    const QHash<QString, QStringList> lists = currentLists();
    QJsonObject settings;
    for (const Key &k : keys()) {
        const auto list = lists.constFind(k.schema + QLatin1Char(' ') + k.key);
        if (list == lists.cend())
            continue;
        // The first accelerator the key table can express stands for the binding; an emptied
        // binding keeps the default keys so that switching it on again shows what comes back.
        int code = list->isEmpty() ? k.builtIn.keyCode : noKey;
        quint64 flags = list->isEmpty() ? k.builtIn.eventFlags : 0;
        for (const QString &accelerator : *list) {
            if (const auto keys = parseAccelerator(accelerator)) {
                code = keys->first;
                flags = keys->second;
                break;
            }
        }
        settings.insert(QString::number(k.builtIn.id), entry(!list->isEmpty(), code, flags));
    }
    return settings;
}

bool GnomeShortcutStore::write(const QJsonObject &settings)
{
    bool ok = true;
    const QHash<QString, QStringList> lists = currentLists();
    for (const Key &k : keys()) {
        const auto want = enabledOf(settings.value(QString::number(k.builtIn.id)));
        if (!want)
            continue;
        const auto list = lists.constFind(k.schema + QLatin1Char(' ') + k.key);
        if (list == lists.cend()) {
            ok = false;
            continue;
        }
        if (*want == !list->isEmpty())
            continue;
        const auto done = *want ? run({QStringLiteral("reset"), k.schema, k.key})
                                : run({QStringLiteral("set"), k.schema, k.key, QStringLiteral("[]")});
        ok = ok && done.has_value();
    }
    return ok;
}

std::optional<std::pair<int, quint64>> GnomeShortcutStore::parseAccelerator(const QString &accelerator)
{
    static const QRegularExpression modifier(QStringLiteral("^<([A-Za-z0-9_]+)>"));
    QString rest = accelerator.trimmed();
    quint64 flags = 0;
    for (auto m = modifier.match(rest); m.hasMatch(); m = modifier.match(rest)) {
        const QString name = m.captured(1).toLower();
        if (name == QLatin1String("primary") || name == QLatin1String("control")
            || name == QLatin1String("ctrl") || name == QLatin1String("ctl"))
            flags |= EventFlag::Command;
        else if (name == QLatin1String("super") || name == QLatin1String("mod4"))
            flags |= EventFlag::Control;
        else if (name == QLatin1String("alt") || name == QLatin1String("mod1"))
            flags |= EventFlag::Option;
        else if (name == QLatin1String("shift"))
            flags |= EventFlag::Shift;
        else
            return std::nullopt;
        rest = rest.mid(m.capturedLength());
    }
    const auto keysym = keysymOfName(rest);
    if (!keysym)
        return std::nullopt;
    const auto code = KeyTable::fromKeysym(*keysym);
    if (!code)
        return std::nullopt;
    return std::pair{*code, flags};
}

std::optional<QStringList> GnomeShortcutStore::parseList(const QString &printed)
{
    QString text = printed.trimmed();
    if (text.startsWith(QLatin1String("@as ")))
        text = text.mid(4).trimmed();
    if (!text.startsWith(QLatin1Char('[')) || !text.endsWith(QLatin1Char(']')))
        return std::nullopt;
    QStringList out;
    static const QRegularExpression item(QStringLiteral("'([^']*)'|\"([^\"]*)\""));
    for (auto it = item.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out.append(m.captured(1).isNull() ? m.captured(2) : m.captured(1));
    }
    return out;
}
