// The earlier captures that the page rail shows below the canvas's pages.
#include "canvas/CanvasController.h"

#include "history/Recents.h"

#include <QDir>
#include <QImageReader>
#include <QThreadPool>

QList<PageRail::Recent> CanvasController::recentsToShow()
{
    QSet<QString> own;
    for (const Page &page : std::as_const(pages)) {
        if (page.historyID)
            own.insert(*page.historyID);
    }
    QList<PageRail::Recent> out;
    QPointer<CanvasController> self(this);
    for (const auto &[entry, created] : Recents::datedEntries()) {
        if (forgotten.contains(entry.id) || own.contains(entry.id))
            continue;
        out << PageRail::Recent{entry.id, entry.id, recentPictures.value(entry.id), created};
        if (recentPictures.contains(entry.id) || picturing.contains(entry.id))
            continue;
        picturing.insert(entry.id);
        const QString id = entry.id, path = QDir(entry.folder).filePath(QStringLiteral("rail.png"));
        QThreadPool::globalInstance()->start(
            [self, id, path] {
                QImageReader reader(path);
                const QImage picture = reader.read();
                QMetaObject::invokeMethod(qApp, [self, id, picture] {
                    if (!self)
                        return;
                    self->picturing.remove(id);
                    self->recentPictures.insert(id, picture);
                    bool shown = false;
                    for (PageRail::Recent &r : self->recentShown) {
                        if (r.id == id) {
                            r.picture = picture;
                            shown = true;
                        }
                    }
                    if (shown)
                        self->refreshRail(true);
                });
            },
            -1);
    }
    return out;
}
