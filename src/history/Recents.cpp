#include "Recents.h"

#include "RecentsState.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace Recents {
using namespace detail;

QString folder()
{
    const QString over = folderOverride();
    return over.isEmpty() ? Paths::historyDir() : over;
}

void setFolderOverride(const QString &path)
{
    State &s = state();
    std::lock_guard guard(s.lock);
    s.folderOverride = path.isEmpty() ? QString() : QDir::cleanPath(path);
}

QString folderOverride()
{
    State &s = state();
    std::lock_guard guard(s.lock);
    return s.folderOverride;
}

SerialQueue &queue()
{
    static SerialQueue *q = new SerialQueue(QStringLiteral("app.vellum.history")); // lives until exit
    return *q;
}

QList<Entry> list()
{
    QList<Entry> entries;
    // Hidden names are the store's own work folders; links are never entries (pruning would
    // delete what they point to).
    const QFileInfoList items = QDir(folder()).entryInfoList(QDir::AllEntries | QDir::System
                                                             | QDir::NoDotAndDotDot,
                                                             QDir::NoSort);
    for (const QFileInfo &item : items) {
        const QFileInfo canvas(item.filePath() + QLatin1Char('/') + canvasFile);
        if (item.isDir() && !item.isSymLink() && canvas.isFile()) {
            entries.append({item.fileName(), canvas.lastModified(), item.filePath()});
            continue;
        }
        reportOnce(QStringLiteral("stray:") + item.fileName(),
                   QStringLiteral("%1 in the history folder is not an entry; left alone")
                       .arg(item.fileName()));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.date != b.date ? a.date > b.date : a.id > b.id;
    });
    return entries;
}

QString newName()
{
    for (;;) {
        const QString name =
            QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyyMMdd-HHmmss"))
            + QLatin1Char('-') + uuidText(QUuid::createUuid()).left(4);
        const bool onDisk = QFileInfo::exists(folder() + QLatin1Char('/') + name);
        State &s = state();
        std::lock_guard guard(s.lock);
        if (!onDisk && !s.handedOutNames.contains(name)) {
            s.handedOutNames.insert(name);
            return name;
        }
    }
}

} // namespace Recents
