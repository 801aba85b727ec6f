#include "platform/DesktopEntry.h"

#include <QFile>
#include <QStringDecoder>

namespace {
const QString mainGroup = QStringLiteral("Desktop Entry");

bool validKey(QStringView key)
{
    // Key names are A-Za-z0-9 and "-", then an optional [locale].
    qsizetype i = 0;
    while (i < key.size() && ((key[i].isLetterOrNumber() && key[i].unicode() < 128) || key[i] == u'-'))
        ++i;
    if (i == 0)
        return false;
    if (i == key.size())
        return true;
    return key[i] == u'[' && key.endsWith(u']') && key.size() - i > 2
        && !key.sliced(i + 1, key.size() - i - 2).contains(u'[');
}
} // namespace

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray &data)
{
    if (data.size() > maxBytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(data);
    if (decoder.hasError() || text.contains(QChar(0)))
        return std::nullopt;

    DesktopEntry entry;
    QHash<QString, QString> *group = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']') || trimmed.size() < 3)
                return std::nullopt;
            const QString name = trimmed.sliced(1, trimmed.size() - 2).toString();
            if (name.contains(u'[') || name.contains(u']') || entry.m_groups.contains(name))
                return std::nullopt;
            group = &entry.m_groups[name];
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !group)
            return std::nullopt;
        const QString key = line.first(eq).trimmed().toString();
        if (!validKey(key))
            return std::nullopt;
        // A key given twice keeps its first value, as most readers of the format do.
        if (!group->contains(key))
            group->insert(key, line.sliced(eq + 1).trimmed().toString());
    }
    if (!entry.m_groups.contains(mainGroup))
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return std::nullopt;
    // Read one byte beyond the limit so that a file growing while we read is refused too.
    return parse(file.read(maxBytes + 1));
}

std::optional<QString> DesktopEntry::raw(const QString &group, const QString &key) const
{
    const auto g = m_groups.constFind(group);
    if (g == m_groups.constEnd())
        return std::nullopt;
    const auto v = g->constFind(key);
    if (v == g->constEnd())
        return std::nullopt;
    return *v;
}

QString DesktopEntry::string(const QString &key) const
{
    return unescape(raw(mainGroup, key).value_or(QString()));
}

QString DesktopEntry::localized(const QString &key, const QString &locale) const
{
    QString lang = locale.section(u'.', 0, 0);
    QString modifier;
    if (const qsizetype at = locale.indexOf(u'@'); at >= 0) {
        modifier = locale.mid(at + 1);
        lang = lang.section(u'@', 0, 0);
    }
    const QString country = lang.section(u'_', 1);
    lang = lang.section(u'_', 0, 0);
    QStringList tries;
    if (!country.isEmpty() && !modifier.isEmpty())
        tries << lang + u'_' + country + u'@' + modifier;
    if (!country.isEmpty())
        tries << lang + u'_' + country;
    if (!modifier.isEmpty())
        tries << lang + u'@' + modifier;
    if (!lang.isEmpty() && lang != u"C" && lang != u"POSIX")
        tries << lang;
    for (const QString &l : tries) {
        if (const auto v = raw(mainGroup, key + u'[' + l + u']'))
            return unescape(*v);
    }
    return string(key);
}

QStringList DesktopEntry::list(const QString &key) const
{
    const QString value = raw(mainGroup, key).value_or(QString());
    QStringList out;
    QString item;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size() && value[i + 1] == u';') {
            item += u';';
            ++i;
        } else if (value[i] == u';') {
            out << unescape(item);
            item.clear();
        } else {
            item += value[i];
            if (value[i] == u'\\' && i + 1 < value.size())
                item += value[++i];
        }
    }
    out << unescape(item);
    out.removeAll(QString());
    return out;
}

bool DesktopEntry::boolean(const QString &key) const
{
    return raw(mainGroup, key).value_or(QString()) == u"true";
}

QString DesktopEntry::unescape(const QString &value)
{
    if (!value.contains(u'\\'))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i].unicode()) {
        case 's': out += u' '; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'r': out += u'\r'; break;
        case '\\': out += u'\\'; break;
        default: out += u'\\'; out += value[i]; break;
        }
    }
    return out;
}

std::optional<QStringList> DesktopEntry::splitExec(const QString &exec)
{
    QStringList args;
    QString arg;
    bool inArg = false;   // an argument has begun (an empty quoted one counts)
    bool quoted = false;
    bool onlyFieldCode = false; // the argument so far was a lone field code
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < exec.size()
                       && QStringView(u"\"`$\\").contains(exec[i + 1])) {
                arg += exec[++i];
            } else {
                arg += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArg && !(onlyFieldCode && arg.isEmpty()))
                args << arg;
            arg.clear();
            inArg = false;
            onlyFieldCode = false;
            continue;
        }
        if (c == u'"') {
            quoted = true;
            inArg = true;
            onlyFieldCode = false;
            continue;
        }
        if (c == u'%' && i + 1 < exec.size()) {
            const QChar code = exec[++i];
            if (code == u'%') {
                arg += u'%';
                onlyFieldCode = false;
            } else if (!inArg) {
                onlyFieldCode = true;
            }
            inArg = true;
            continue;
        }
        arg += c;
        inArg = true;
        onlyFieldCode = false;
    }
    if (quoted)
        return std::nullopt;
    if (inArg && !(onlyFieldCode && arg.isEmpty()))
        args << arg;
    if (args.isEmpty() || args.first().isEmpty())
        return std::nullopt;
    return args;
}
