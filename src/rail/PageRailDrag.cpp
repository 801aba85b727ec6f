#include "rail/PageRail.h"

#include "rail/RailScratch.h"

#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

QString PageRail::uniqueFileURL(const QString &path, const QSet<QString> &taken)
{
    const auto free = [&](const QString &p) { return !taken.contains(p) && !QFileInfo::exists(p); };
    if (free(path))
        return path;
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QString base = info.completeBaseName();
    for (int n = 2;; ++n) {
        const QString candidate = dir.filePath(base + QLatin1Char(' ') + QString::number(n) + QStringLiteral(".png"));
        if (free(candidate))
            return candidate;
    }
}

QList<RailThumb *> PageRail::dragThumbs(RailThumb *thumb) const
{
    if (m_picked.size() > 1 && m_picked.contains(thumb->key)) {
        QList<RailThumb *> out;
        for (RailThumb *t : m_order) {
            if (m_picked.contains(t->key))
                out.append(t);
        }
        return out;
    }
    return {thumb};
}

QStringList PageRail::writeDragFiles(RailThumb *thumb)
{
    if (!fileFor || !thumb)
        return {};
    QList<RailDragOut::File> files;
    for (RailThumb *t : dragThumbs(thumb)) {
        if (std::optional<RailDragOut::File> file = fileFor(t->row))
            files.append(std::move(*file));
    }
    if (files.isEmpty())
        return {};
    const QString folder = RailScratch::newDragFolder();
    if (folder.isEmpty())
        return {};
    m_dragSource.files = files;
    return m_dragSource.writeAll(folder);
}

void PageRail::dragOut(RailThumb *thumb)
{
    const QList<RailThumb *> thumbs = dragThumbs(thumb);
    const QStringList paths = writeDragFiles(thumb);
    if (paths.isEmpty())
        return;

    QList<QUrl> urls;
    for (const QString &p : paths)
        urls.append(QUrl::fromLocalFile(p));
    auto *mime = new QMimeData;
    mime->setUrls(urls);

    // One picture of the dragged thumbnails as they lie in the rail, around the pressed one.
    QRectF bounds;
    for (RailThumb *t : thumbs)
        bounds |= t->cardFrame();
    const double dpr = devicePixelRatioF();
    QPixmap pixmap((bounds.size() * dpr).toSize());
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setOpacity(0.85);
        for (RailThumb *t : thumbs)
            RailDragOut::drawDragImage(p, t->cardFrame().translated(-bounds.topLeft()), t->look.picture);
    }

    QPointer<PageRail> self(this);
    const int n = int(paths.size());
    m_dragSource.onEnd = [self, n](bool dropped) {
        if (dropped && self && self->onDropped)
            self->onDropped(n);
    };
    const std::function<void(bool)> onEnd = m_dragSource.onEnd;

    auto *drag = new QDrag(thumb);
    drag->setMimeData(mime);
    drag->setPixmap(pixmap);
    drag->setHotSpot((thumb->cardFrame().center() - bounds.topLeft()).toPoint());
    const Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    onEnd(result == Qt::CopyAction);
}
