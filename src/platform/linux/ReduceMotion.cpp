#include "platform/ReduceMotion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QStandardPaths>

namespace {

std::optional<bool> overridden;
std::optional<bool> cached;

bool readGnome()
{
    QProcess p;
    p.start(QStringLiteral("gsettings"),
            {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
             QStringLiteral("enable-animations")});
    if (!p.waitForStarted(1000) || !p.waitForFinished(2000) || p.exitStatus() != QProcess::NormalExit
        || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(200);
        return false;
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed() == QLatin1String("false");
}

// dconf keeps the user's settings in one file; a write there may have changed the answer.
void watchSettings()
{
    static QFileSystemWatcher *watcher = nullptr;
    if (watcher || !QCoreApplication::instance())
        return;
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/dconf");
    watcher = new QFileSystemWatcher(QCoreApplication::instance());
    if (QDir(dir).exists())
        watcher->addPath(dir);
    if (QFile::exists(dir + QStringLiteral("/user")))
        watcher->addPath(dir + QStringLiteral("/user"));
    const auto forget = [] { cached.reset(); };
    QObject::connect(watcher, &QFileSystemWatcher::fileChanged, watcher, forget);
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher, forget);
}

} // namespace

namespace ReduceMotion {

bool isOn()
{
    if (overridden)
        return *overridden;
    if (!cached) {
        watchSettings();
        cached = readGnome();
    }
    return *cached;
}

void setOverride(std::optional<bool> on)
{
    overridden = on;
}

} // namespace ReduceMotion
