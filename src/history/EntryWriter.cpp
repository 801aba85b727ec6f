#include "EntryWriter.h"

#include "HistoryFiles.h"
#include "platform/FileWrites.h"
#include "platform/PrivateFiles.h"
#include "Recents.h"
#include "RecentsState.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
using namespace Recents::detail;

const QString thumbFile = QStringLiteral("thumb.png");
const QString railFile = QStringLiteral("rail.png");

bool writePng(const QString &path, const QImage &picture, QString *error)
{
    const QByteArray png = HistoryFiles::pngData(picture);
    if (png.isEmpty())
        return true; // a picture that cannot be encoded is left out
    return PrivateFiles::writeNew(path, png, error);
}

// Gives the work folder the entry's existing copy of a file, when there is one.
bool carryOver(const QString &entry, const QString &work, const QString &name, QString *error)
{
    const QString from = entry + QLatin1Char('/') + name;
    if (!QFileInfo(from).isFile())
        return true;
    return HistoryFiles::linkOrCopy(from, work + QLatin1Char('/') + name, error);
}
} // namespace

bool EntryWriter::run() const
{
    QString error;
    const auto json = document.encode(&error);
    const QString entry = historyFolder + QLatin1Char('/') + name;
    if (!json) {
        report(QStringLiteral("could not save %1: %2").arg(name, error));
        return false;
    }
    static bool swept = false;
    if (!PrivateFiles::makeFolder(historyFolder)) {
        report(QStringLiteral("could not save %1: the folder %2 cannot be made")
                   .arg(name, historyFolder));
        return false;
    }
    if (!swept) {
        swept = true;
        HistoryFiles::sweepWorkFolders(historyFolder);
    }
    const QString work =
        historyFolder + QLatin1Char('/') + HistoryFiles::workName(QStringLiteral("staging"), name);
    if (::mkdir(QFile::encodeName(work).constData(), 0700) != 0) {
        report(QStringLiteral("could not save %1: the work folder cannot be made").arg(name));
        return false;
    }
    QList<QPair<QString, QRect>> written;
    const bool ok = stage(work, entry, &written, &error)
        && PrivateFiles::writeNew(work + QLatin1Char('/') + canvasFile, *json, &error)
        && commit(work, entry, &error);
    HistoryFiles::removeTree(work); // after a swap it holds the old entry
    if (!ok) {
        report(QStringLiteral("could not save %1: %2").arg(name, error));
        return false;
    }
    FileWrites::syncFolder(historyFolder);
    {
        // Only now is the crop on disk; a failed save leaves the earlier record in force.
        State &s = state();
        std::lock_guard guard(s.lock);
        for (const auto &[path, crop] : written)
            s.writtenRects.insert(path, crop);
    }
    prune(group);
    return true;
}

bool EntryWriter::stage(const QString &work, const QString &entry,
                        QList<QPair<QString, QRect>> *written, QString *error) const
{
    for (const ShotFile &shot : shots) {
        const QString path = entry + QLatin1Char('/') + shot.name;
        if (cached(&State::writtenRects, path) == shot.crop && QFileInfo(path).isFile()) {
            if (!HistoryFiles::linkOrCopy(path, work + QLatin1Char('/') + shot.name, error))
                return false;
            continue;
        }
        if (!writePng(work + QLatin1Char('/') + shot.name, shot.picture.copy(shot.crop), error))
            return false;
        written->append({path, shot.crop});
    }
    if (picture.isNull())
        return carryOver(entry, work, thumbFile, error) && carryOver(entry, work, railFile, error);
    return writePng(work + QLatin1Char('/') + thumbFile, Recents::thumbnail(picture), error)
        && writePng(work + QLatin1Char('/') + railFile, Recents::railPicture(picture), error);
}

bool EntryWriter::commit(const QString &work, const QString &entry, QString *error) const
{
    FileWrites::syncFolder(work);
    const QFileInfo existing(entry);
    if (!existing.exists() && !existing.isSymLink())
        return HistoryFiles::rename(work, entry, error);
    bool unsupported = false;
    if (HistoryFiles::exchange(work, entry, &unsupported, error))
        return true;
    if (!unsupported)
        return false;

    // No folder swap on this file system: the old entry steps aside under a hidden name, the
    // new one takes its place, then the old one goes. A crash in between leaves the old entry
    // aside, and the next save puts it back (HistoryFiles::sweepWorkFolders).
    const QString aside = historyFolder + QLatin1Char('/') + HistoryFiles::workName(QStringLiteral("previous"), name);
    if (!HistoryFiles::rename(entry, aside, error))
        return false;
    if (!HistoryFiles::rename(work, entry, error)) {
        HistoryFiles::rename(aside, entry);
        return false;
    }
    HistoryFiles::removeTree(aside);
    return true;
}
