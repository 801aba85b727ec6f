#include "Paths.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <pwd.h>
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

QString runtimeDir()
{
    const QString r = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!r.isEmpty())
        return r;
    return QDir::tempPath() + QStringLiteral("/quillet-") + QString::number(getuid());
}

} // namespace Paths
