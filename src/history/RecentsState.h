#pragma once
#include "RecentsSaved.h"

#include <QDateTime>
#include <QHash>
#include <QRect>
#include <QSet>
#include <QString>
#include <QUuid>

#include <mutex>
#include <optional>

// Process-wide state of the history, shared by its parts. Every field is used under the lock.
namespace Recents::detail {

struct State {
    std::mutex lock;
    QString folderOverride;
    QSet<QString> handedOutNames; // names newName() gave out
    QHash<QString, QDateTime> createdCache; // entry id -> when the page was captured
    QHash<QString, QUuid> firstShotCache; // entry id -> its first shot's id
    QHash<QString, QRect> writtenRects; // shot picture path -> the crop it holds on disk
    QHash<QString, QString> trashed; // entry id -> where its folder went
    QSet<QString> reported; // problems already in the activity log
};

State &state();

// A value of one of the state's maps, read and written under the lock.
template <typename V>
std::optional<V> cached(QHash<QString, V> State::*map, const QString &key)
{
    State &s = state();
    std::lock_guard guard(s.lock);
    const auto it = (s.*map).constFind(key);
    return it == (s.*map).constEnd() ? std::nullopt : std::optional<V>(*it);
}
template <typename V>
void cache(QHash<QString, V> State::*map, const QString &key, const V &value)
{
    State &s = state();
    std::lock_guard guard(s.lock);
    (s.*map).insert(key, value);
}

// Writes "history: " and the message to the activity log the first time key is reported.
void reportOnce(const QString &key, const QString &message);
// Writes "history: " and the message to the activity log.
void report(const QString &message);

// Whether the text can name an entry: one folder name inside the history folder.
bool isEntryName(const QString &id);
// The folder of the entry with that id (no check).
QString entryFolder(const QString &id);
// The entry's page document; none (reported once) when it is missing or cannot be read.
std::optional<Saved> readSaved(const QString &id);

// The creation date of a saved entry: the cached one, else the one in its canvas.json. Nothing
// is stored.
std::optional<QDateTime> savedCreated(const QString &id);

// Deletes the newest-30 overflow after a save, keeping every entry of the group.
void prune(const std::optional<QString> &group);

constexpr int keptEntries = 30;
inline const QString canvasFile = QStringLiteral("canvas.json");

} // namespace Recents::detail
