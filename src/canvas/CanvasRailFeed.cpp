// What the canvas hands the page rail: the rows in display order, the earlier captures with their
// pictures, the files dragged out of it, and the rail's callbacks.
#include "canvas/CanvasController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

namespace {
constexpr int recentsShown = 20;
constexpr double pictureMargin = 16;
const QSizeF pictureBox(720, 480);

// The PNG data of a page's exported picture: exact, halved under "export.halfSize" (never below
// 1), recorded at the scale the export gives it. Encoding is left to the caller.
std::optional<QImage> filePicture(const ExportScene &scene, double scale)
{
    const bool half = ExportScene::halfSizePreferred();
    QImage picture = scene.render(half, std::nullopt, pictureMargin);
    if (picture.isNull())
        return std::nullopt;
    const double recorded = half ? std::max(scale * 0.5, 1.0) : scale;
    const int perMetre = qRound(recorded * 72 / 0.0254);
    picture.setDotsPerMeterX(perMetre);
    picture.setDotsPerMeterY(perMetre);
    return picture;
}
} // namespace

// ---- the rows ----

QList<PageRail::Row> CanvasController::railRows() const
{
    QList<PageRail::Row> rows;
    qsizetype next = 0;
    for (int i = 0; i < pages.size(); ++i) {
        while (next < recentShown.size() && recentShown[next].date > pages[i].created)
            rows << PageRail::Row::ofRecent(recentShown[next++].id);
        rows << PageRail::Row::ofPage(i);
    }
    for (; next < recentShown.size(); ++next)
        rows << PageRail::Row::ofRecent(recentShown[next].id);
    return rows;
}

QList<PageRail::Recent> CanvasController::recentsToShow()
{
    QList<PageRail::Recent> shown = recentsForRail();
    QPointer<CanvasController> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (self)
                self->pictureNextRecent();
        },
        Qt::QueuedConnection);
    return shown;
}

QList<PageRail::Recent> CanvasController::recentsForRail()
{
    QSet<QString> excluded = forgotten;
    for (const Page &page : std::as_const(pages)) {
        if (page.historyID)
            excluded.insert(*page.historyID);
    }
    QList<PageRail::Recent> out;
    QPointer<CanvasController> self(this);
    for (const auto &[entry, created] : Recents::datedEntries()) {
        if (out.size() >= recentsShown)
            break;
        if (excluded.contains(entry.id))
            continue;
        const std::optional<QUuid> first = Recents::firstShotID(entry.id);
        const QString key = first ? first->toString(QUuid::WithoutBraces) : entry.id;
        out << PageRail::Recent{entry.id, key, recentPictures.value(entry.id), created};
        if (recentPictures.contains(entry.id) || m_railReads.contains(entry.id))
            continue;
        // Read off the main thread; a picture that cannot be read is tried again by the next
        // rebuild.
        m_railReads.insert(entry.id);
        const QString id = entry.id;
        QThreadPool::globalInstance()->start(
            [self, id] {
                const QImage picture = Recents::smallPicture(id);
                QMetaObject::invokeMethod(qApp, [self, id, picture] {
                    if (!self)
                        return;
                    self->m_railReads.remove(id);
                    if (picture.isNull() || self->recentPictures.contains(id))
                        return;
                    self->recentPictures.insert(id, picture);
                    bool listed = false;
                    for (PageRail::Recent &r : self->recentShown) {
                        if (r.id == id) {
                            r.picture = picture;
                            listed = true;
                        }
                    }
                    if (listed && !self->rail->isHidden())
                        self->refreshRail(true);
                });
            },
            -1);
    }
    return out;
}

// ---- rail pictures made for earlier captures ----

void CanvasController::pictureNextRecent()
{
    if (rail->isHidden())
        return;
    QString id;
    for (const PageRail::Recent &r : std::as_const(recentShown)) {
        if (picturing.contains(r.id))
            continue;
        if (QFileInfo::exists(QDir(QDir(Recents::folder()).filePath(r.id)).filePath(QStringLiteral("rail.png"))))
            continue;
        id = r.id;
        break;
    }
    if (id.isEmpty())
        return;
    picturing.insert(id);
    QPointer<CanvasController> self(this);
    QThreadPool::globalInstance()->start(
        [self, id] {
            std::optional<Recents::Loaded> loaded = Recents::load(id);
            ExportScene::Samplers samplers;
            if (loaded)
                samplers = ExportScene::makeSamplers(loaded->markup, loaded->images);
            QMetaObject::invokeMethod(qApp, [self, id, loaded = std::move(loaded), samplers] {
                if (self)
                    self->finishRecentPicture(id, loaded, samplers);
            });
        },
        -1);
}

void CanvasController::finishRecentPicture(const QString &id, std::optional<Recents::Loaded> loaded,
                                           const ExportScene::Samplers &samplers)
{
    if (loaded) {
        const ExportScene scene = ExportScene::fromPage(loaded->markup, loaded->images, samplers);
        const QImage picture = Recents::railPicture(scene.render(false, pictureBox, pictureMargin));
        if (!picture.isNull()) {
            Recents::saveRailPicture(picture, id);
            recentPictures.insert(id, picture);
            for (PageRail::Recent &r : recentShown) {
                if (r.id == id)
                    r.picture = picture;
            }
            if (!rail->isHidden())
                refreshRail(true);
        }
    }
    pictureNextRecent();
}

void CanvasController::unforgetRecent(const QString &id)
{
    forgotten.remove(id);
    refreshRail(false);
}

// ---- files dragged out of the rail ----

std::optional<RailDragOut::File> CanvasController::fileFor(const PageRail::Row &row)
{
    QPointer<CanvasController> self(this);
    if (row.isPage()) {
        if (row.page < 0 || row.page >= pages.size())
            return std::nullopt;
        const int index = row.page;
        const QString name = ExportScene::fileName(pages[index].created);
        return RailDragOut::File{name, [self, index]() -> std::optional<RailDragOut::Data> {
                                     if (!self || index >= self->pages.size())
                                         return std::nullopt;
                                     std::optional<QImage> picture;
                                     if (index == self->currentPage) {
                                         self->endEditing();
                                         picture = filePicture(self->exportScene(), self->exportScale());
                                     } else {
                                         const Page &page = self->pages[index];
                                         const ExportScene scene = ExportScene::fromPage(page.markup, page.images);
                                         picture = filePicture(scene, scene.exactScale(false));
                                     }
                                     if (!picture)
                                         return std::nullopt;
                                     return RailDragOut::Data(*picture);
                                 }};
    }
    QDateTime date;
    for (const PageRail::Recent &r : std::as_const(recentShown)) {
        if (r.id == row.recent)
            date = r.date;
    }
    if (!date.isValid())
        date = Recents::created(row.recent).value_or(QDateTime::currentDateTime());
    const QString id = row.recent;
    return RailDragOut::File{ExportScene::fileName(date), [id]() -> std::optional<RailDragOut::Data> {
                                 const std::optional<Recents::Loaded> loaded = Recents::load(id);
                                 if (!loaded)
                                     return std::nullopt;
                                 const ExportScene scene = ExportScene::fromPage(loaded->markup, loaded->images);
                                 const std::optional<QImage> picture = filePicture(scene, scene.exactScale(false));
                                 if (!picture)
                                     return std::nullopt;
                                 return RailDragOut::Data(*picture);
                             }};
}

void CanvasController::wirePageRail()
{
    QPointer<CanvasController> self(this);
    rail->onSelect = [self](int page) {
        if (self)
            self->selectPage(page);
    };
    rail->onOpenRecent = [self](const QString &id) {
        if (self)
            self->openRecent(id);
    };
    rail->onDelete = [self](const QList<PageRail::Row> &rows) {
        if (self)
            self->removePages(rows);
    };
    rail->fileFor = [self](const PageRail::Row &row) -> std::optional<RailDragOut::File> {
        if (!self)
            return std::nullopt;
        return self->fileFor(row);
    };
}

// ---- read-outs ----

QStringList CanvasController::recentShownIDs() const
{
    QStringList ids;
    for (const PageRail::Recent &r : recentShown)
        ids << r.id;
    return ids;
}

QString CanvasController::pageID(int index) const
{
    if (index < 0 || index >= pages.size())
        return QString::number(index);
    if (pages[index].historyID)
        return *pages[index].historyID;
    const Markup &m = index == currentPage ? markup : pages[index].markup;
    if (!m.shots.isEmpty())
        return m.shots.first().id.toString(QUuid::WithoutBraces);
    return QString::number(index);
}

QStringList CanvasController::railRowIDs() const
{
    QStringList ids;
    for (const PageRail::Row &row : railRows())
        ids << (row.isPage() ? pageID(row.page) : row.recent);
    return ids;
}
