#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// One freedesktop desktop entry file, read by our own parser: groups of key=value lines, localized
// keys (Name[de_DE]), comments and blank lines. A file that breaks the format (a line that is
// none of those, a key before the first group, a group given twice, text that is not UTF-8) is
// refused whole, and so is one larger than maxBytes.
class DesktopEntry
{
public:
    static constexpr qint64 maxBytes = 1024 * 1024;

    static std::optional<DesktopEntry> parse(const QByteArray &data);
    // Reads and parses a file; nothing when it is missing, too large or malformed.
    static std::optional<DesktopEntry> read(const QString &path);

    // The raw value of a key (escapes not yet undone), or nothing.
    std::optional<QString> raw(const QString &group, const QString &key) const;
    // A string value of the "Desktop Entry" group with \s \n \t \r \\ undone.
    QString string(const QString &key) const;
    // The best localized form of a key for a locale such as "de_DE.UTF-8" or "sr_RS@latin":
    // key[lang_COUNTRY@MODIFIER], key[lang_COUNTRY], key[lang@MODIFIER], key[lang], then key.
    QString localized(const QString &key, const QString &locale) const;
    // A list value split at unescaped ";", empty items dropped.
    QStringList list(const QString &key) const;
    bool boolean(const QString &key) const;

    // Undoes the value escapes of the format.
    static QString unescape(const QString &value);
    // Splits an Exec value into program and arguments by the format's quoting rules, with field
    // codes (%f, %U, …) dropped and "%%" kept as "%". Nothing when the quoting is broken or the
    // line names no program.
    static std::optional<QStringList> splitExec(const QString &exec);

private:
    QHash<QString, QHash<QString, QString>> m_groups;
};
