#include "UpdateInstaller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace UpdateInstaller {
namespace {
const QString stagingName = QStringLiteral(".update-new");
const QString previousName = QStringLiteral(".update-old");
const QString archiveName = QStringLiteral(".update-archive.tar.gz");

bool runTar(const QStringList &args, QByteArray *out, QString *error)
{
    QProcess tar;
    tar.start(QStringLiteral("tar"), args);
    if (!tar.waitForStarted(10000)) {
        *error = QStringLiteral("tar could not be started");
        return false;
    }
    tar.closeWriteChannel();
    if (!tar.waitForFinished(300000) || tar.exitStatus() != QProcess::NormalExit
        || tar.exitCode() != 0) {
        *error = QStringLiteral("tar failed: ")
                 + QString::fromLocal8Bit(tar.readAllStandardError()).simplified();
        return false;
    }
    if (out)
        *out = tar.readAllStandardOutput();
    return true;
}

// Every member must stay inside the folder it is unpacked into.
bool checkMembers(const QByteArray &listing, QString *error)
{
    bool hasMarker = false;
    for (const QByteArray &line : listing.split('\n')) {
        if (line.isEmpty())
            continue;
        const QString name = QString::fromUtf8(line);
        if (name.startsWith(QLatin1Char('/'))
            || name.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
            *error = QStringLiteral("the archive names a file outside its folder: ") + name;
            return false;
        }
        QString top = name.section(QLatin1Char('/'), 0, 0, QString::SectionSkipEmpty);
        if (top == QLatin1String(".") )
            top = name.section(QLatin1Char('/'), 1, 1, QString::SectionSkipEmpty);
        if (top.startsWith(QLatin1String(".update-"))) {
            *error = QStringLiteral("the archive holds a reserved name: ") + top;
            return false;
        }
        hasMarker = hasMarker || top == markerName;
    }
    if (!hasMarker) {
        *error = QStringLiteral("the archive is not an install folder (no %1)").arg(markerName);
        return false;
    }
    return true;
}

QStringList entries(const QDir &dir)
{
    QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                      | QDir::NoDotAndDotDot);
    names.removeIf([](const QString &n) { return n.startsWith(QLatin1String(".update-")); });
    return names;
}

bool moveAll(const QDir &from, const QDir &to, const QStringList &names, QStringList *moved)
{
    for (const QString &name : names) {
        if (!QDir().rename(from.filePath(name), to.filePath(name)))
            return false;
        moved->append(name);
    }
    return true;
}

void cleanUp(const QDir &folder)
{
    QDir(folder.filePath(stagingName)).removeRecursively();
    QDir(folder.filePath(previousName)).removeRecursively();
    QFile::remove(folder.filePath(archiveName));
}
} // namespace

QString defaultInstallFolder()
{
    QDir dir(QCoreApplication::applicationDirPath());
    if (dir.dirName() == QLatin1String("bin"))
        dir.cdUp();
    return dir.absolutePath();
}

bool canReplace(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable()
           && QFileInfo::exists(QDir(folder).filePath(markerName));
}

bool install(const QByteArray &archive, const QString &folderPath, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    if (!canReplace(folderPath)) {
        *error = QStringLiteral("the install folder is not ours to replace: ") + folderPath;
        return false;
    }
    const QDir folder(folderPath);
    cleanUp(folder);
    const QString archivePath = folder.filePath(archiveName);
    QFile file(archivePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(archive) != archive.size() || !file.flush()) {
        *error = QStringLiteral("could not write ") + archivePath;
        file.close();
        cleanUp(folder);
        return false;
    }
    file.close();

    QByteArray listing;
    const QDir staging(folder.filePath(stagingName));
    const bool unpacked = runTar({QStringLiteral("-tzf"), archivePath}, &listing, error)
                          && checkMembers(listing, error) && folder.mkdir(stagingName)
                          && runTar({QStringLiteral("-xzf"), archivePath, QStringLiteral("-C"),
                                     staging.path(), QStringLiteral("--no-same-owner")},
                                    nullptr, error);
    if (!unpacked) {
        cleanUp(folder);
        return false;
    }

    const QDir previous(folder.filePath(previousName));
    folder.mkdir(previousName);
    QStringList movedOut;
    QStringList movedIn;
    if (!moveAll(folder, previous, entries(folder), &movedOut)
        || !moveAll(staging, folder, entries(staging), &movedIn)) {
        *error = QStringLiteral("could not swap the files of ") + folderPath;
        QStringList back;
        moveAll(folder, staging, movedIn, &back);
        back.clear();
        moveAll(previous, folder, movedOut, &back);
        cleanUp(folder);
        return false;
    }
    cleanUp(folder);
    return true;
}

} // namespace UpdateInstaller
