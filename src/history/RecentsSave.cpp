#include "EntryWriter.h"
#include "HistoryFiles.h"
#include "platform/FileWrites.h"
#include "platform/PrivateFiles.h"
#include "Recents.h"
#include "RecentsState.h"
#include "platform/Preferences.h"

#include <QFileInfo>

#include <cmath>

namespace Recents {
using namespace detail;

namespace {
// The pixels of the picture under the shot's rect: the rect relative to the shot's origin, in
// pixels, widened to whole pixels and clipped to the picture. None when nothing is left or the
// shot's numbers are unusable.
std::optional<QRect> cropFor(const Shot &shot, double scale, QSize picture)
{
    const QRectF rect = shot.rect.normalized();
    const QRectF px((rect.x() - shot.origin.x()) * scale, (rect.y() - shot.origin.y()) * scale,
                    rect.width() * scale, rect.height() * scale);
    if (!std::isfinite(px.left()) || !std::isfinite(px.top()) || !std::isfinite(px.right())
        || !std::isfinite(px.bottom()) || !(px.width() > 0) || !(px.height() > 0))
        return std::nullopt;
    // Clipped while still in floating point, so no out-of-range number becomes an int.
    const double left = std::max(std::floor(px.left()), 0.0);
    const double top = std::max(std::floor(px.top()), 0.0);
    const double right = std::min(std::ceil(px.right()), double(picture.width()));
    const double bottom = std::min(std::ceil(px.bottom()), double(picture.height()));
    if (right <= left || bottom <= top)
        return std::nullopt;
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

bool usableScale(double scale) { return std::isfinite(scale) && scale > 0; }
} // namespace

std::optional<QString> save(const Markup &markup, const ShotImages &images, const QImage &picture,
                            const std::optional<QString> &id, const std::optional<QString> &group,
                            std::optional<qint64> order, const std::optional<QDateTime> &created,
                            bool wait)
{
    if (id && !isEntryName(*id))
        return std::nullopt;
    if (!id && Preferences::shared().boolValue(QStringLiteral("history.paused")).value_or(false))
        return std::nullopt;

    // Each shot with a picture is cropped to its rect and described as its crop.
    QList<Shot> shots = markup.shots;
    QHash<QString, double> scales;
    QList<EntryWriter::ShotFile> files;
    for (Shot &shot : shots) {
        const auto it = images.constFind(shot.id);
        if (it == images.constEnd() || it->image.isNull() || !usableScale(it->pixelScale))
            continue;
        const double s = it->pixelScale;
        const auto crop = cropFor(shot, s, it->image.size());
        if (!crop)
            continue;
        shot.origin = QPointF(shot.origin.x() + crop->x() / s, shot.origin.y() + crop->y() / s);
        shot.imageSize = QSizeF(crop->width() / s, crop->height() / s);
        shot.rect = QRectF(shot.origin, shot.imageSize);
        const QString key = uuidText(shot.id);
        files.append({QStringLiteral("shot-") + key + QStringLiteral(".png"), it->image, *crop});
        scales.insert(key, s);
    }
    shots.removeIf([&](const Shot &shot) { return !scales.contains(uuidText(shot.id)); });
    if (shots.isEmpty())
        return std::nullopt;

    const QString name = id ? *id : newName();
    std::optional<QDateTime> date = id ? savedCreated(*id) : std::nullopt;
    if (!date)
        date = created;
    if (!date)
        date = QDateTime::currentDateTime();

    EntryWriter work;
    work.document.markup = Markup(shots, markup.unit, markup.items);
    work.document.pixelScale = scales.value(uuidText(shots.first().id));
    work.document.scales = scales;
    work.document.created = *date;
    work.document.group = group;
    work.document.order = order;
    work.name = name;
    work.historyFolder = folder();
    work.shots = files;
    work.picture = picture;
    work.group = group;
    cache(&State::createdCache, name, *date);

    // Cropping, encoding and writing run on the queue; the pictures are shared, not copied.
    if (!wait) {
        queue().async([work] { work.run(); });
        return name;
    }
    bool written = false;
    queue().sync([&] { written = work.run(); });
    return written ? std::optional<QString>(name) : std::nullopt;
}

void saveRailPicture(const QImage &picture, const QString &id)
{
    if (!isEntryName(id))
        return;
    const QString entry = entryFolder(id);
    queue().async([picture, entry, id] {
        if (!QFileInfo(entry).isDir())
            return;
        const QByteArray png = HistoryFiles::pngData(picture);
        QString error;
        if (png.isEmpty() || !PrivateFiles::write(entry + QStringLiteral("/rail.png"), png, &error))
            report(QStringLiteral("could not write the rail picture of %1: %2")
                       .arg(id, png.isEmpty() ? QStringLiteral("no picture") : error));
    });
}

namespace detail {
void prune(const std::optional<QString> &group)
{
    const QList<Entry> entries = list();
    for (qsizetype i = keptEntries; i < entries.size(); ++i) {
        const Entry &entry = entries.at(i);
        if (group) {
            const auto saved = readSaved(entry.id);
            if (saved && saved->group == group)
                continue;
        }
        HistoryFiles::removeAtOnce(entry.folder);
    }
}
} // namespace detail

} // namespace Recents
