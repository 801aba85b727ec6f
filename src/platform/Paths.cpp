#include "Paths.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Paths {
namespace {
QString xdg(const char *var, const char *fallbackUnderHome)
{
    const QString v = QString::fromLocal8Bit(qgetenv(var));
    if (!v.isEmpty() && QDir::isAbsolutePath(v))
        return QDir::cleanPath(v);
    return QDir::cleanPath(home() + QLatin1Char('/') + QLatin1String(fallbackUnderHome));
}
} // namespace

QString home()
{
    const QString h = QString::fromLocal8Bit(qgetenv("HOME"));
    return h.isEmpty() ? QDir::homePath() : QDir::cleanPath(h);
}

QString userName()
{
    const QString u = QString::fromLocal8Bit(qgetenv("USER"));
    if (!u.isEmpty())
        return u;
    if (const passwd *pw = getpwuid(getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString();
}

QString configDir() { return xdg("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Quillet"); }
QString logDir() { return xdg("XDG_STATE_HOME", ".local/state") + QStringLiteral("/Quillet"); }
QString vellumDir() { return xdg("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Vellum"); }
QString historyDir() { return vellumDir() + QStringLiteral("/History"); }
QString reportsDir() { return vellumDir() + QStringLiteral("/Reports"); }

QString desktopDir()
{
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation);
    return dirs.isEmpty() ? QString() : dirs.first();
}

QString crashesDir() { return logDir() + QStringLiteral("/crashes"); }
QString crashReportsDir() { return logDir() + QStringLiteral("/DiagnosticReports"); }

Scrub::Identity identity()
{
    Scrub::Identity who;
    who.homes << home();
    if (const passwd *pw = getpwuid(getuid())) {
        const QString own = QDir::cleanPath(QString::fromLocal8Bit(pw->pw_dir));
        if (!own.isEmpty() && !who.homes.contains(own))
            who.homes << own;
    }
    who.user = userName();
    who.host = QSysInfo::machineHostName();
    return who;
}

bool isPrivateFolder(const QString &path, QString *why)
{
    auto no = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return no(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(st.st_mode))
        return no(QStringLiteral("a link"));
    if (!S_ISDIR(st.st_mode))
        return no(QStringLiteral("not a folder"));
    if (st.st_uid != ::geteuid())
        return no(QStringLiteral("owned by another user"));
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return no(QStringLiteral("writable by others"));
    return true;
}

bool makePrivateFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty())
        return false;
    // Parents first; each one missing is made 0700, whatever the umask leaves.
    const QStringList parts = clean.split(QLatin1Char('/'));
    QString at = clean.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral(".");
    for (const QString &part : parts) {
        if (part.isEmpty())
            continue;
        at += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(at);
        if (::mkdir(native.constData(), 0700) == 0)
            ::chmod(native.constData(), 0700);
        else if (errno != EEXIST)
            return false;
    }
    return QFileInfo(clean).isDir();
}

QString runtimeDir(QStringList *problems)
{
    struct Candidate {
        QString path;
        bool ours; // made by us, so it may be made and tightened
    };
    QList<Candidate> candidates;
    const QString r = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!r.isEmpty() && QDir::isAbsolutePath(r))
        candidates.append({QDir::cleanPath(r), false});
    candidates.append({QDir::tempPath() + QStringLiteral("/quillet-") + QString::number(::geteuid()), true});
    candidates.append({xdg("XDG_CACHE_HOME", ".cache") + QStringLiteral("/Quillet"), true});

    for (const Candidate &c : candidates) {
        const QByteArray native = QFile::encodeName(c.path);
        if (c.ours) {
            // Only the last component is made here; its parent is the system's or the user's.
            if (!QFileInfo(c.path).dir().exists())
                makePrivateFolder(QFileInfo(c.path).path());
            ::mkdir(native.constData(), 0700);
        }
        QString why;
        if (isPrivateFolder(c.path, &why)) {
            if (c.ours)
                ::chmod(native.constData(), 0700); // an older start may have made it 0755
            return c.path;
        }
        if (problems)
            problems->append(QStringLiteral("%1 cannot hold the socket: %2").arg(c.path, why));
    }
    return QString();
}

} // namespace Paths
