#pragma once
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

// The user's preferences: one typed JSON object in $XDG_CONFIG_HOME/Quillet/preferences.json,
// loaded on first use and written atomically after every change. Typed getters answer nothing
// when a key is missing or holds a value of another type; callers state their own defaults.
// A file that cannot be parsed is moved aside as preferences.json.bad (never overwritten) and
// the store starts empty. Safe to use from any thread.
class Preferences
{
public:
    static Preferences &shared();

    // Receives one line for each problem (unreadable file, failed write). Set by the app shell.
    static void setProblemLogger(std::function<void(const QString &)> logger);

    QString filePath() const;

    bool contains(const QString &key) const;
    QJsonValue value(const QString &key) const;
    std::optional<bool> boolValue(const QString &key) const;
    std::optional<qint64> intValue(const QString &key) const; // integral numbers only
    std::optional<double> numberValue(const QString &key) const;
    std::optional<QString> stringValue(const QString &key) const;
    std::optional<QStringList> stringList(const QString &key) const;   // every element a text
    std::optional<QList<qint64>> intList(const QString &key) const;    // every element integral

    // Returns false when the file could not be written (the value is kept in memory all the same).
    bool setValue(const QString &key, const QJsonValue &value);
    bool remove(const QString &key);
    // Removes every key but those named, in one write.
    bool removeAllExcept(const QStringList &keep);

    // Reads the file again (tests, and a settings file changed by hand).
    void reload();

private:
    Preferences();
    void loadLocked();
    bool saveLocked();
    static void problem(const QString &line);

    mutable std::mutex m_lock;
    QString m_path;
    QJsonObject m_values;
    bool m_loaded = false;
};
