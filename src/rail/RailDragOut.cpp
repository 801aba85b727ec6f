#include "rail/RailDragOut.h"

#include "app/PngWriter.h"
#include "rail/PageRail.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <numeric>

namespace {

std::optional<QByteArray> encode(const RailDragOut::Data &data)
{
    if (const auto *bytes = std::get_if<QByteArray>(&data))
        return bytes->isEmpty() ? std::nullopt : std::optional<QByteArray>(*bytes);
    const QByteArray png = PngWriter::encode(std::get<QImage>(data));
    return png.isEmpty() ? std::nullopt : std::optional<QByteArray>(png);
}

RailDragOut::Written writeTo(const RailDragOut::Data &data, const QString &path)
{
    RailDragOut::Written out;
    const std::optional<QByteArray> png = encode(data);
    if (!png) {
        out.error = QStringLiteral("fileWriteUnknown");
        out.unknown = true;
        return out;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*png) != png->size() || !file.commit()) {
        out.error = file.errorString();
        if (out.error.isEmpty())
            out.error = QStringLiteral("could not write ") + path;
        return out;
    }
    out.path = path;
    return out;
}

} // namespace

QString RailDragOut::promisedName(const QVariantMap &info)
{
    const QVariant name = info.value(QStringLiteral("name"));
    if (name.typeId() == QMetaType::QString)
        return name.toString();
    return QStringLiteral("Quillet.png");
}

RailDragOut::Written RailDragOut::writeData(const Data &data, const QString &name, const QString &folder)
{
    return writeTo(data, PageRail::uniqueFileURL(QDir(folder).filePath(name)));
}

RailDragOut::Written RailDragOut::writePromise(const QList<File> &files, const QVariantMap &info,
                                               const QString &folder)
{
    const QVariant index = info.value(QStringLiteral("index"));
    const bool isInt = index.typeId() == QMetaType::Int || index.typeId() == QMetaType::LongLong;
    const qsizetype at = isInt ? index.toLongLong() : -1;
    std::optional<Data> data;
    if (at >= 0 && at < files.size() && files.at(at).make)
        data = files.at(at).make();
    if (!data) {
        Written none;
        none.error = QStringLiteral("fileWriteUnknown");
        none.unknown = true;
        return none;
    }
    return writeData(*data, promisedName(info), folder);
}

QStringList RailDragOut::Pending::written() const
{
    QFuture<void> wait = done;
    wait.waitForFinished();
    QStringList out;
    if (!results)
        return out;
    for (const Written &w : std::as_const(*results)) {
        if (w.ok())
            out.append(w.path);
    }
    return out;
}

RailDragOut::Pending RailDragOut::startWriting(const QString &folder) const
{
    struct Job {
        Data data;
        QString path;
    };
    auto jobs = std::make_shared<QList<Job>>();
    QSet<QString> taken;
    Pending pending;
    for (const File &f : files) {
        std::optional<Data> data = f.make ? f.make() : std::nullopt;
        if (!data)
            continue;
        // Names are settled here, one after another, so that parallel writers never race for one.
        const QString name = f.name.isEmpty() ? QStringLiteral("Quillet.png") : QFileInfo(f.name).fileName();
        const QString path = PageRail::uniqueFileURL(QDir(folder).filePath(name), taken);
        taken.insert(path);
        jobs->append({std::move(*data), path});
        pending.paths.append(path);
    }
    pending.results = std::make_shared<QList<Written>>(jobs->size());
    // The map works on the list in place, so the list lives as long as the work (the functor
    // holds it).
    auto indexes = std::make_shared<QList<int>>(jobs->size());
    std::iota(indexes->begin(), indexes->end(), 0);
    const auto results = pending.results;
    Written *out = results->data(); // detached here, once, so workers only write their own slot
    pending.done = QtConcurrent::map(*indexes, [indexes, jobs, results, out](int i) {
        out[i] = writeTo(jobs->at(i).data, jobs->at(i).path);
    });
    return pending;
}

void RailDragOut::drawDragImage(QPainter &painter, const QRectF &rect, const QImage &picture)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(rect, 11, 11);
    painter.fillPath(card, Qt::white);
    painter.setClipPath(card);
    if (!picture.isNull() && picture.width() >= 1 && picture.height() >= 1) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const double s = std::max(rect.width() / picture.width(), rect.height() / picture.height());
        const QSizeF size(s * picture.width(), s * picture.height());
        painter.drawImage(QRectF(rect.center() - QPointF(size.width() / 2, size.height() / 2), size), picture);
    }
    painter.restore();
}
