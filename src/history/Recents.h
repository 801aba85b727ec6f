#pragma once
#include "RecentsSaved.h"
#include "SerialQueue.h"
#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>
#include <utility>

// The capture history on disk: one folder (an entry) per saved canvas page in the history
// folder, named by its id, holding "canvas.json", one "shot-<UUID>.png" per shot, "thumb.png"
// and "rail.png". Every write, deletion and move of history files runs on one serial queue;
// reads run on the caller's thread and see either the old or the new entry, never a mix: an
// entry is put together in a hidden work folder and swapped into place whole.
//
// Readers never fail: what cannot be read counts as absent. An entry that cannot be read, and a
// save that cannot be written, are reported once to the activity log.
namespace Recents {

// One entry as the listing finds it.
struct Entry {
    QString id; // the folder's name
    QDateTime date; // when its canvas.json was last written
    QString folder; // the entry folder's path
};

// A page read back: the document (shots without a picture left out) and the shot pictures.
struct Loaded {
    Markup markup;
    ShotImages images;
};

// An entry's canvas group and the ids of the group's entries in page order.
struct GroupLookup {
    std::optional<QString> group;
    QStringList ids;
};

// --- The folder and the queue

// The history folder: the override when one is set, else $XDG_DATA_HOME/Vellum/History.
// Nothing is created.
QString folder();
// Replaces the whole history folder path (the self-check keeps a history of its own); an empty
// text removes the override.
void setFolderOverride(const QString &path);
QString folderOverride();

// The serial queue "app.vellum.history" on which every history file is written, deleted and
// moved. A caller that must know all handed-over work is on disk runs an empty task with sync().
SerialQueue &queue();

// Every entry (a direct sub-folder, not a link, that holds a canvas.json), newest first; equal
// dates by id, the greater first. A folder that cannot be listed gives an empty list.
QList<Entry> list();

// --- Saving

// A new entry name: the local time as "yyyyMMdd-HHmmss", "-" and four upper-case hexadecimal
// digits from a random UUID, drawn again until no folder has that name and this process has not
// handed it out before.
QString newName();

// The thumbnail (108 px high, at most 216 px wide, the picture centred on white) and the rail
// picture (the picture itself up to 720 px wide, else scaled to 720 px wide). Null images when
// no bitmap can be made.
QImage thumbnail(const QImage &picture);
QImage railPicture(const QImage &picture);

// Saves one page as the entry id (a new entry when id is none) and returns the entry's id, or
// none when nothing is saved: a new page while "history.paused" is on, a page none of whose shots
// has a picture under its rect, or (with wait) a save that could not be written. The work on
// the files runs on the queue; wait makes the call return after it is done. picture is the
// rendered page (a null image for none), from which thumb.png and rail.png are made.
std::optional<QString> save(const Markup &markup, const ShotImages &images, const QImage &picture,
                            const std::optional<QString> &id, const std::optional<QString> &group,
                            std::optional<qint64> order, const std::optional<QDateTime> &created,
                            bool wait);

// Writes the picture as the entry's rail.png, on the queue, only while the entry exists.
void saveRailPicture(const QImage &picture, const QString &id);

// --- Reading

// The entry's page, or none when its canvas.json cannot be read or none of its shots has a
// picture that loads.
std::optional<Loaded> load(const QString &id);
// Whether the entry can be opened: its canvas.json reads and at least one of its shot files is a
// regular file within the picture cap (problems reported once).
bool isReadable(const QString &id);
// The entry's small picture: its rail.png, else its thumb.png, each refused (and reported once)
// when it is not a regular file or is larger than it is written; null when neither reads. Any
// thread.
QImage smallPicture(const QString &id);
// The entry's group and its pages' ids ordered by "order" (when all have one), else by creation
// date, newest first; just [id] when the entry has no group, cannot be read or is not found.
GroupLookup group(const QString &id);
// The entry's creation date (kept once found).
std::optional<QDateTime> created(const QString &id);
// Every entry with its creation date (the canvas.json date where none can be read), newest first.
QList<std::pair<Entry, QDateTime>> datedEntries();
// The id of the entry's first shot (kept once found).
std::optional<QUuid> firstShotID(const QString &id);

// --- Removal

// Deletes the entry, on the queue.
void remove(const QString &id);
// Deletes the whole history folder, on the queue after every save handed over before it; returns
// when it is done. When the history folder is a link, the entries in the folder it points to are
// deleted (the link and that folder stay). What cannot be deleted stays in the history folder and
// is reported; true when no entry folder is left, and *notRemoved (when given) is how many are.
bool removeAll(int *notRemoved = nullptr);
// At start, on the queue: deletes the work folders earlier runs left behind (a clearing or a
// save that did not finish); what still cannot be deleted goes back into the history folder.
void sweepLeftovers();
// Run on the queue: moves the entry folder to the Trash (with a folder override, to a "Trash"
// folder beside it) so that restore() can bring it back; deletes it when it cannot be moved.
void trash(const QString &id, const QString &entryFolder);
// Run on the queue: moves the trashed folder of the id back to entryFolder unless something is
// there now, then calls completion on the main thread.
void restore(const QString &id, const QString &entryFolder, std::function<void()> completion);

} // namespace Recents
