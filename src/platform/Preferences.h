#pragma once
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

// The user's preferences: one typed JSON object in $XDG_CONFIG_HOME/Quillet/preferences.json.
// Every read looks whether the file changed since it was last read (another process, an editor)
// and reads it again when it did; every change is a read-modify-write of that one key under a
// lock that other processes take too, written atomically, so changes to other keys made
// elsewhere survive. Typed getters answer nothing when a key is missing or holds a value of
// another type; callers state their own defaults. A file that cannot be used (not valid JSON, not
// a regular file, larger than its cap) is moved aside as preferences.json.bad and the store
// starts empty. Safe to use from any thread.
//
// The self-check and the benchmark keep their preferences in memory instead: after
// useMemoryScope() every read and change stays in this process, starting empty, and the file is
// neither read nor written.
class Preferences
{
public:
    static Preferences &shared();

    // Receives one line for each problem (unreadable file, failed write). Set by the app shell;
    // lines from before it was set are handed to it then.
    static void setProblemLogger(std::function<void(const QString &)> logger);

    QString filePath() const;

    // From now on the values live in memory only, starting empty; the file is left alone.
    // Chosen before the first read by a process that must not touch the user's preferences.
    void useMemoryScope();
    bool inMemoryScope() const;

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

    // Reads the file again now, changed or not.
    void reload();

private:
    // What identifies one version of the file on disk.
    struct Stamp {
        bool exists = false;
        quint64 device = 0, inode = 0;
        qint64 size = 0, modifiedNs = 0, changedNs = 0;
        bool operator==(const Stamp &) const = default;
    };

    Preferences();
    static Stamp stampOf(const QString &path);
    void refreshLocked();
    void readLocked();
    bool changeLocked(const std::function<void(QJsonObject &)> &change);
    static void problem(const QString &line);

    mutable std::mutex m_lock;
    QString m_path;
    QJsonObject m_values;
    bool m_loaded = false;
    bool m_memory = false; // values kept in memory only
    Stamp m_stamp; // of the file m_values came from
};
