#include "HistoryFiles.h"
#include "Recents.h"
#include "RecentsState.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace Recents {
using namespace detail;

namespace {
std::optional<QString> takeTrashed(const QString &id)
{
    State &s = state();
    std::lock_guard guard(s.lock);
    const auto it = s.trashed.constFind(id);
    if (it == s.trashed.constEnd())
        return std::nullopt;
    const QString where = *it;
    s.trashed.erase(it);
    return where;
}

void remember(const QString &id, const QString &where)
{
    State &s = state();
    std::lock_guard guard(s.lock);
    if (where.isEmpty())
        s.trashed.remove(id);
    else
        s.trashed.insert(id, where);
}

// A folder moved to the desktop Trash leaves a note in Trash/info; it goes when the folder
// comes back.
void forgetTrashInfo(const QString &where)
{
    const QFileInfo moved(where);
    QDir trash(moved.path());
    if (trash.dirName() != QLatin1String("files") || !trash.cdUp())
        return;
    QFile::remove(trash.filePath(QStringLiteral("info/") + moved.fileName()
                                 + QStringLiteral(".trashinfo")));
}

bool movedToTrash(const QString &id, const QString &entryFolder)
{
    const QString over = folderOverride();
    if (over.isEmpty()) {
        QString where;
        if (!QFile::moveToTrash(entryFolder, &where))
            return false;
        remember(id, where);
        return true;
    }
    const QString trash = QFileInfo(over).dir().filePath(QStringLiteral("Trash"));
    if (!PrivateFiles::makeFolder(trash))
        return false;
    const QString where = trash + QLatin1Char('/') + id + QLatin1Char(' ')
        + uuidText(QUuid::createUuid()).left(4);
    if (!HistoryFiles::rename(entryFolder, where))
        return false;
    remember(id, where);
    return true;
}
} // namespace

void remove(const QString &id)
{
    if (!isEntryName(id))
        return;
    const QString entry = entryFolder(id);
    queue().async([entry] { HistoryFiles::removeAtOnce(entry); });
}

bool removeAll(int *notRemoved)
{
    int left = 0;
    queue().sync([&left] {
        const QString history = folder();
        const QFileInfo info(history);
        if (info.isSymLink()) {
            // Removing the link would leave every entry where the listing finds them. Only the
            // store's own folders go: the link may point at a folder that holds other things.
            for (const Entry &entry : list())
                if (!HistoryFiles::removeAtOnce(entry.folder))
                    report(QStringLiteral("entry %1 could not be deleted").arg(entry.id));
            HistoryFiles::sweepWorkFolders(history, true);
        } else if (info.exists()) {
            // Taken away at once under a hidden name, then deleted; what cannot be deleted goes
            // back where the history shows it, so that it is neither hidden nor counted as gone.
            const QString hidden = info.dir().filePath(HistoryFiles::workName(QStringLiteral("removing"), info.fileName()));
            if (!HistoryFiles::rename(history, hidden)) {
                if (!HistoryFiles::removeTree(history))
                    report(QStringLiteral("the history folder could not be deleted completely"));
            } else if (!HistoryFiles::removeTree(hidden)) {
                report(QStringLiteral("the history folder could not be deleted completely"));
                HistoryFiles::putBack(hidden, history);
            }
        }
        left = HistoryFiles::entryFolders(history).size();
        if (left > 0)
            report(QStringLiteral("%1 entries are still in the history folder after clearing").arg(left));
    });
    if (notRemoved)
        *notRemoved = left;
    return left == 0;
}

void sweepLeftovers()
{
    queue().async([] {
        const QString history = folder();
        const QFileInfo info(history);
        // A clearing that could not finish left its folder beside the history's.
        const QString prefix = QStringLiteral(".removing-") + info.fileName() + QLatin1Char('-');
        for (const QFileInfo &item : info.dir().entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
            if (!item.fileName().startsWith(prefix) || HistoryFiles::removeTree(item.filePath()))
                continue;
            report(QStringLiteral("%1 could not be deleted; what is left goes back to the history").arg(item.fileName()));
            HistoryFiles::putBack(item.filePath(), history);
        }
        if (info.isDir())
            HistoryFiles::sweepWorkFolders(history);
    });
}

void trash(const QString &id, const QString &entryFolder)
{
    // Only an entry folder of the history is ever moved or deleted here.
    if (!isEntryName(id) || QDir::cleanPath(QFileInfo(entryFolder).absolutePath()) != QDir::cleanPath(QFileInfo(folder()).absoluteFilePath()))
        return;
    if (movedToTrash(id, entryFolder))
        return;
    if (!HistoryFiles::removeAtOnce(entryFolder))
        report(QStringLiteral("entry %1 could neither be trashed nor deleted").arg(id));
}

void restore(const QString &id, const QString &entryFolder, std::function<void()> completion)
{
    const auto where = takeTrashed(id);
    const QFileInfo target(entryFolder);
    if (where && !target.exists() && !target.isSymLink()) {
        PrivateFiles::makeFolder(target.path());
        if (HistoryFiles::rename(*where, entryFolder))
            forgetTrashInfo(*where);
    }
    if (!completion)
        return;
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(completion), Qt::QueuedConnection);
    else
        completion();
}

} // namespace Recents
