#include "Recents.h"
#include "RecentsState.h"
#include "document/Plane.h"

#include "platform/RegularFile.h"

#include <algorithm>
#include <cmath>

namespace Recents {
using namespace detail;

namespace {
// Numbers read from disk that would divide by zero or turn into nonsense pixels make the shot
// unreadable.
bool usable(const Shot &shot, double scale)
{
    return std::isfinite(scale) && scale > 0 && Plane::isFinite(shot.origin)
        && Plane::isFinite(shot.imageSize) && Plane::isFinite(shot.rect) && shot.rect.width() > 0
        && shot.rect.height() > 0 && shot.imageSize.width() > 0 && shot.imageSize.height() > 0;
}

QImage readPicture(const QString &id, const QString &name)
{
    QString error;
    QImage image = RegularFile::readImage(entryFolder(id) + QLatin1Char('/') + name,
                                          RegularFile::Links::refuse, &error);
    if (image.isNull()) {
        reportOnce(QStringLiteral("picture:") + id + QLatin1Char('/') + name,
                   QStringLiteral("entry %1: %2 is unreadable (%3)").arg(id, name, error));
        return image;
    }
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

struct ShotFile {
    QString name;
    double scale;
};

// The file name and pixel scale of the document's i-th shot; none for a shot an older entry
// (one picture) has no file for.
std::optional<ShotFile> shotFile(const Saved &saved, qsizetype i)
{
    const QString key = uuidText(saved.markup.shots.at(i).id);
    if (saved.scales)
        return ShotFile{QStringLiteral("shot-") + key + QStringLiteral(".png"), saved.scales->value(key, saved.pixelScale)};
    if (i == 0)
        return ShotFile{QStringLiteral("shot.png"), saved.pixelScale}; // older entries: one picture
    return std::nullopt;
}

bool newerFirst(const QDateTime &a, const QString &idA, const QDateTime &b, const QString &idB)
{
    return a != b ? a > b : idA > idB;
}
} // namespace

std::optional<Loaded> load(const QString &id)
{
    const auto saved = readSaved(id);
    if (!saved)
        return std::nullopt;
    Loaded loaded;
    loaded.markup = saved->markup;
    QList<Shot> shots;
    for (qsizetype i = 0; i < saved->markup.shots.size(); ++i) {
        const Shot &shot = saved->markup.shots.at(i);
        const QString key = uuidText(shot.id);
        const std::optional<ShotFile> found = shotFile(*saved, i);
        if (!found)
            continue;
        const QString &file = found->name;
        const double scale = found->scale;
        if (!usable(shot, scale)) {
            reportOnce(QStringLiteral("shot:") + id + key,
                       QStringLiteral("entry %1: shot %2 has unusable sizes").arg(id, key));
            continue;
        }
        const QImage image = readPicture(id, file);
        if (image.isNull())
            continue;
        loaded.images.insert(shot.id, ShotImage{image, scale});
        shots.append(shot);
    }
    if (shots.isEmpty()) {
        reportOnce(QStringLiteral("empty:") + id,
                   QStringLiteral("entry %1 has no shot that can be shown").arg(id));
        return std::nullopt;
    }
    loaded.markup.shots = shots;
    return loaded;
}

bool isReadable(const QString &id)
{
    const auto saved = readSaved(id);
    if (!saved)
        return false;
    // The document alone is not enough: a page opens only with a picture of one of its shots,
    // so at least one shot file must be a regular file the reader would take.
    QString error;
    for (qsizetype i = 0; i < saved->markup.shots.size(); ++i) {
        const std::optional<ShotFile> file = shotFile(*saved, i);
        if (!file)
            continue;
        const RegularFile::Status status = RegularFile::check(entryFolder(id) + QLatin1Char('/') + file->name,
                                                              RegularFile::pictureCap, RegularFile::Links::refuse, &error);
        if (status == RegularFile::Status::ok)
            return true;
    }
    reportOnce(QStringLiteral("noshot:") + id,
               QStringLiteral("entry %1 has no shot file that can be read%2")
                   .arg(id, error.isEmpty() ? QString() : QStringLiteral(" (") + error + QLatin1Char(')')));
    return false;
}

QImage smallPicture(const QString &id)
{
    // Written at most 720 px wide (any height a page may have) and 216 x 108: a file that says it
    // is larger is damaged, and is refused before it is decoded.
    static const QSize railMax(720, 16384);
    static const QSize thumbMax(216, 108);
    const std::pair<const char *, QSize> files[] = {{"rail.png", railMax}, {"thumb.png", thumbMax}};
    for (const auto &[name, maxSize] : files) {
        const QString path = entryFolder(id) + QLatin1Char('/') + QLatin1String(name);
        QString error;
        const QImage picture = RegularFile::readImage(path, RegularFile::Links::refuse, maxSize, &error);
        if (!picture.isNull())
            return picture;
        if (RegularFile::check(path, RegularFile::pictureCap, RegularFile::Links::refuse) != RegularFile::Status::missing)
            reportOnce(QStringLiteral("small:") + id + QLatin1Char('/') + QLatin1String(name),
                       QStringLiteral("entry %1: %2 is unreadable (%3)").arg(id, QLatin1String(name), error));
    }
    return {};
}

GroupLookup group(const QString &id)
{
    const auto saved = readSaved(id);
    if (!saved || !saved->group)
        return {std::nullopt, {id}};
    struct Page {
        QString id;
        QDateTime created;
        std::optional<qint64> order;
    };
    QList<Page> pages;
    for (const Entry &entry : list()) {
        const auto other = readSaved(entry.id);
        if (other && other->group == saved->group)
            pages.append({entry.id, other->created, other->order});
    }
    const bool allOrdered =
        std::all_of(pages.cbegin(), pages.cend(), [](const Page &p) { return p.order.has_value(); });
    std::sort(pages.begin(), pages.end(), [&](const Page &a, const Page &b) {
        if (allOrdered && *a.order != *b.order)
            return *a.order < *b.order;
        return newerFirst(a.created, a.id, b.created, b.id);
    });
    GroupLookup result{saved->group, {}};
    for (const Page &p : pages)
        result.ids.append(p.id);
    if (!result.ids.contains(id))
        result.ids = QStringList{id};
    return result;
}

std::optional<QDateTime> created(const QString &id)
{
    const auto date = savedCreated(id);
    if (date)
        cache(&State::createdCache, id, *date);
    return date;
}

QList<std::pair<Entry, QDateTime>> datedEntries()
{
    QList<std::pair<Entry, QDateTime>> dated;
    for (const Entry &entry : list())
        dated.append({entry, created(entry.id).value_or(entry.date)});
    std::sort(dated.begin(), dated.end(), [](const auto &a, const auto &b) {
        return newerFirst(a.second, a.first.id, b.second, b.first.id);
    });
    return dated;
}

std::optional<QUuid> firstShotID(const QString &id)
{
    if (const auto first = cached(&State::firstShotCache, id))
        return first;
    const auto saved = readSaved(id);
    if (!saved || saved->markup.shots.isEmpty())
        return std::nullopt;
    const QUuid first = saved->markup.shots.first().id;
    cache(&State::firstShotCache, id, first);
    return first;
}

} // namespace Recents
