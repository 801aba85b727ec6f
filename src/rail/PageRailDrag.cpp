#include "rail/PageRail.h"

#include "rail/RailScratch.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace {

// Thumbnails may leave the application but not drop into its own windows: while a drag from the
// rail runs, every drag event it would bring to one of our widgets is refused before the widget
// sees it.
class RefuseOwnDrops : public QObject
{
public:
    explicit RefuseOwnDrops(QObject *source) : m_source(source) { qApp->installEventFilter(this); }
    ~RefuseOwnDrops() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (drop->source() != m_source)
                return false;
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
            return true;
        }
        default:
            return false;
        }
    }

private:
    QObject *m_source;
};

// The file list of a drag. The files are still being written when the drag begins; whoever takes
// the drop asks for the list, and that waits until they are on disk.
class DragFiles : public QMimeData
{
public:
    explicit DragFiles(RailDragOut::Pending pending) : m_pending(std::move(pending)) {}

    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        if (mimeType != QLatin1String("text/uri-list"))
            return {};
        const QStringList paths = m_pending.written();
        if (type.id() == QMetaType::QVariantList || type.id() == QMetaType::QUrl) {
            QVariantList urls;
            for (const QString &p : paths)
                urls.append(QUrl::fromLocalFile(p));
            return urls;
        }
        QByteArray list;
        for (const QString &p : paths)
            list += QUrl::fromLocalFile(p).toEncoded() + "\r\n";
        return list;
    }

private:
    RailDragOut::Pending m_pending;
};

} // namespace

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
    const std::optional<RailDragOut::Pending> pending = startDragFiles(thumb);
    return pending ? pending->written() : QStringList();
}

std::optional<RailDragOut::Pending> PageRail::startDragFiles(RailThumb *thumb)
{
    if (!fileFor || !thumb)
        return std::nullopt;
    QList<RailDragOut::File> files;
    for (RailThumb *t : dragThumbs(thumb)) {
        if (std::optional<RailDragOut::File> file = fileFor(t->row))
            files.append(std::move(*file));
    }
    if (files.isEmpty())
        return std::nullopt;
    const QString folder = RailScratch::newDragFolder();
    if (folder.isEmpty())
        return std::nullopt;
    m_dragSource.files = files;
    RailDragOut::Pending pending = m_dragSource.startWriting(folder);
    if (pending.paths.isEmpty())
        return std::nullopt;
    return pending;
}

void PageRail::dragOut(RailThumb *thumb)
{
    const QList<RailThumb *> thumbs = dragThumbs(thumb);
    const std::optional<RailDragOut::Pending> pending = startDragFiles(thumb);
    if (!pending)
        return;
    auto *mime = new DragFiles(*pending);

    // One picture of the dragged thumbnails as they lie in the rail, around the pressed one.
    // Far-away thumbnails of a long pick are left out of the picture, which stays a handful of
    // thumbnails around the pressed one.
    const QRectF near = thumb->cardFrame().adjusted(-400, -400, 400, 400);
    QList<RailThumb *> shown;
    QRectF bounds;
    for (RailThumb *t : thumbs) {
        if (!near.contains(t->cardFrame()))
            continue;
        shown.append(t);
        bounds |= t->cardFrame();
    }
    const double dpr = devicePixelRatioF();
    QPixmap pixmap((bounds.size() * dpr).toSize());
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setOpacity(0.85);
        for (RailThumb *t : shown)
            RailDragOut::drawDragImage(p, t->cardFrame().translated(-bounds.topLeft()), t->look.picture);
    }

    QPointer<PageRail> self(this);
    m_dragSource.onEnd = [self, pending = *pending](bool dropped) {
        if (dropped && self && self->onDropped)
            self->onDropped(int(pending.written().size()));
    };
    const std::function<void(bool)> onEnd = m_dragSource.onEnd;

    auto *drag = new QDrag(thumb);
    drag->setMimeData(mime);
    drag->setPixmap(pixmap);
    drag->setHotSpot((thumb->cardFrame().center() - bounds.topLeft()).toPoint());
    Qt::DropAction result;
    {
        RefuseOwnDrops refuse(thumb);
        result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
    onEnd(result == Qt::CopyAction);
}
