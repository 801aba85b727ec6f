// Export scenes leaving the application: the clipboard, PNG data of stored pages, saved files
// and the scratch folder of dragged-out files.
#include "export/ExportScene.h"

#include "app/ActivityLog.h"
#include "capture/ClipboardPicture.h"
#include "platform/FileWrites.h"
#include "platform/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr double exportMargin = 16;

QString reason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Last modification of the entry itself (a link's own time, not its target's).
std::optional<QDateTime> modified(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    const qint64 ms = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms);
}
} // namespace

double ExportScene::clipboardScale(double s, bool halfSize)
{
    return halfSize ? std::max(s * 0.5, 1.0) : s;
}

bool ExportScene::halfSizePreferred()
{
    return Preferences::shared().boolValue(QStringLiteral("export.halfSize")).value_or(false);
}

bool ExportScene::copyToClipboard(const QImage &picture, double scale, std::function<void(bool)> done)
{
    return ClipboardPicture::put(picture, scale, std::move(done));
}

QByteArray ExportScene::exportData(const Markup &markup, const ShotImages &images)
{
    const bool half = halfSizePreferred();
    const ExportScene scene = fromPage(markup, images);
    const QImage picture = scene.render(half, std::nullopt, exportMargin);
    if (picture.isNull())
        return QByteArray();
    const double u = scene.exactScale(false);
    return ClipboardPicture::pngData(picture, clipboardScale(u > 0 ? u : 1, half));
}

QString ExportScene::fileName(const QDateTime &date)
{
    return QStringLiteral("Quillet ") + QLocale::c().toString(date.toLocalTime(), QStringLiteral("yyyy-MM-dd 'at' HH.mm.ss"))
        + QStringLiteral(".png");
}

QString ExportScene::save(const QImage &picture, const QString &folder, double scale, QString *error,
                          const QDateTime &when)
{
    const QByteArray png = ClipboardPicture::pngData(picture, scale);
    if (png.isEmpty()) {
        if (error)
            *error = QStringLiteral("The picture could not be encoded");
        return QString();
    }
    // A link to nothing in the folder's place would only say "File exists".
    const QFileInfo place(folder);
    if (place.isSymLink() && !place.exists()) {
        if (error)
            *error = QStringLiteral("the folder %1 is a broken link").arg(folder);
        return QString();
    }
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), made);
    if (made) {
        if (error)
            *error = reason(made.value());
        return QString();
    }
    const QString base = fileName(when);
    const QString stem = base.chopped(4);
    return FileWrites::writeNew(
        folder, [&](int n) { return n == 1 ? base : stem + QLatin1Char(' ') + QString::number(n) + QStringLiteral(".png"); },
        png, error);
}

void ExportScene::pruneFolder(const QString &folder, double seconds, const QDateTime &now)
{
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = QDir(folder).filePath(name);
        const auto when = modified(path);
        const double age = when ? double(when->msecsTo(now)) / 1000 : std::numeric_limits<double>::infinity();
        if (!(age > seconds))
            continue;
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
}

QString ExportScene::scratchFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString path = base.isEmpty() ? QDir(QDir::tempPath()).filePath(QStringLiteral("Quillet-%1").arg(::geteuid()))
                                  : QDir(base).filePath(QStringLiteral("Quillet"));
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        activityLog(QStringLiteral("export: no scratch folder: %1").arg(reason(errno)));
        return QString();
    }
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()
        || (info.st_mode & 0777) != 0700) {
        activityLog(QStringLiteral("export: the scratch folder %1 is not a private folder of ours; not used").arg(path));
        return QString();
    }
    return path;
}
