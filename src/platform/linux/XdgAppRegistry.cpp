#include "platform/linux/XdgAppRegistry.h"

#include "platform/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>

namespace {
QString environment(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

QString messagesLocale()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = environment(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

void finishLater(AppRegistry::Launched done, bool started, qint64 pid)
{
    if (!done)
        return;
    QObject *context = QCoreApplication::instance();
    if (!context) {
        done(started, pid);
        return;
    }
    QMetaObject::invokeMethod(context, [done = std::move(done), started, pid] { done(started, pid); },
                              Qt::QueuedConnection);
}
} // namespace

XdgAppRegistry::XdgAppRegistry(QStringList folders, QString locale)
    : m_folders(std::move(folders)), m_locale(locale.isEmpty() ? messagesLocale() : std::move(locale))
{
}

QStringList XdgAppRegistry::standardFolders()
{
    QString home = environment("XDG_DATA_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath() + QLatin1String("/.local/share");
    QStringList folders{home + QLatin1String("/applications")};
    QString dirs = environment("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            folders << QDir::cleanPath(dir) + QLatin1String("/applications");
    }
    // Flatpak's exported entries, for sessions that did not add them to XDG_DATA_DIRS.
    folders << home + QLatin1String("/flatpak/exports/share/applications")
            << QStringLiteral("/var/lib/flatpak/exports/share/applications");
    folders.removeDuplicates();
    return folders;
}

qint64 XdgAppRegistry::mtimeOf(const QByteArray &path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void XdgAppRegistry::refresh()
{
    if (m_scanned) {
        bool same = true;
        for (const Stamp &stamp : std::as_const(m_stamps)) {
            if (mtimeOf(stamp.path) != stamp.mtime) {
                same = false;
                break;
            }
        }
        if (same)
            return;
    }
    scan();
}

void XdgAppRegistry::scan()
{
    ++m_scans;
    m_scanned = true;
    m_stamps.clear();
    m_apps.clear();
    QSet<QString> seen;
    for (const QString &folder : std::as_const(m_folders)) {
        const QByteArray root = QFile::encodeName(folder);
        m_stamps.append({root, mtimeOf(root)});
        if (m_stamps.last().mtime < 0)
            continue;
        QDirIterator dirs(folder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (dirs.hasNext()) {
            const QByteArray sub = QFile::encodeName(dirs.next());
            m_stamps.append({sub, mtimeOf(sub)});
        }
        QDirIterator files(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList paths;
        while (files.hasNext())
            paths << files.next();
        std::sort(paths.begin(), paths.end());
        for (const QString &path : std::as_const(paths)) {
            QString id = path.mid(folder.size() + 1);
            id.chop(8);
            id.replace(u'/', u'-');
            if (seen.contains(id))
                continue;
            const std::optional<DesktopEntry> entry = DesktopEntry::read(path);
            if (!entry)
                continue; // unreadable: as if the file were not there
            seen.insert(id);
            if (entry->boolean(QStringLiteral("Hidden")) || entry->string(QStringLiteral("Type")) != u"Application")
                continue;
            InstalledApp app;
            app.id = id;
            app.path = path;
            app.name = entry->localized(QStringLiteral("Name"), m_locale);
            if (app.name.isEmpty())
                app.name = id;
            app.icon = entry->localized(QStringLiteral("Icon"), m_locale);
            app.exec = entry->string(QStringLiteral("Exec"));
            app.workingDirectory = entry->string(QStringLiteral("Path"));
            app.startupWMClass = entry->string(QStringLiteral("StartupWMClass"));
            app.categories = entry->list(QStringLiteral("Categories"));
            app.noDisplay = entry->boolean(QStringLiteral("NoDisplay"));
            m_apps.insert(id, app);
        }
    }
    m_sorted = m_apps.values();
    std::sort(m_sorted.begin(), m_sorted.end(), [](const InstalledApp &a, const InstalledApp &b) { return a.id < b.id; });
}

std::optional<InstalledApp> XdgAppRegistry::find(const QString &id)
{
    refresh();
    const auto it = m_apps.constFind(id);
    if (it == m_apps.constEnd())
        return std::nullopt;
    return *it;
}

QList<InstalledApp> XdgAppRegistry::all()
{
    refresh();
    return m_sorted;
}

std::optional<QString> XdgAppRegistry::idForFile(const QString &path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    if (!file.endsWith(QLatin1String(".desktop")))
        return std::nullopt;
    refresh();
    for (const QString &folder : std::as_const(m_folders)) {
        const QString prefix = QDir::cleanPath(folder) + u'/';
        if (!file.startsWith(prefix))
            continue;
        QString id = file.mid(prefix.size());
        id.chop(8);
        id.replace(u'/', u'-');
        if (!m_apps.contains(id))
            return std::nullopt;
        return id;
    }
    QString id = QFileInfo(file).fileName();
    id.chop(8);
    if (m_apps.contains(id))
        return id;
    return std::nullopt;
}

void XdgAppRegistry::launch(const QString &id, Launched done)
{
    const std::optional<InstalledApp> app = find(id);
    const std::optional<QStringList> command = app ? DesktopEntry::splitExec(app->exec) : std::nullopt;
    bool started = false;
    qint64 pid = 0;
    if (command) {
        const QString workingDirectory =
            QFileInfo(app->workingDirectory).isDir() ? app->workingDirectory : QDir::homePath();
        started = QProcess::startDetached(command->first(), command->mid(1), workingDirectory, &pid);
    }
    finishLater(std::move(done), started, started ? pid : 0);
}
