#include "InstallWindow.h"

#include "app/ActivityLog.h"
#include "platform/PlatformText.h"
#include "platform/linux/AutostartLoginItem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QThreadPool>

#include <utility>
#include <vector>

static void initInstallResources()
{
    Q_INIT_RESOURCE(install);
}

namespace InstallWindow {
namespace {
const QString appId = QStringLiteral("quillet");
// A string every build carries in its executable: a file that holds it is a Quillet copy.
const char buildMark[] = "quillet-build-mark:5d1c7a0e-install";
constexpr qint64 maxIconBytes = 1024 * 1024;

QString xdg(const char *name, const QString &home, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? value : home + fallback;
}

QString shown(const QString &path, const QString &home)
{
    return PlatformText::pathShown(path, home);
}

bool insideHome(const QString &path, const QString &home)
{
    const QString clean = QDir::cleanPath(path);
    return !home.isEmpty() && home != QLatin1String("/") && clean.startsWith(QDir::cleanPath(home) + QLatin1Char('/'));
}

// An Exec value that runs the program with the opened files.
QString execLine(const QString &program)
{
    bool plain = true;
    for (QChar c : program)
        if (!(c.isLetterOrNumber() || QStringLiteral("/._-+").contains(c)))
            plain = false;
    if (plain)
        return program + QStringLiteral(" %F");
    QString quoted;
    for (QChar c : program) {
        if (QStringLiteral("\"`$\\").contains(c))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // The desktop entry's own escapes: a backslash is written twice.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QStringLiteral("\" %F");
}

QByteArray desktopEntry(const QString &program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillet\n"
                          "GenericName=Screenshot and markup\n"
                          "Comment=Capture an area of the screen, mark it up and copy it\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "MimeType=image/png;image/jpeg;image/tiff;image/heif;\n"
                          "Categories=Graphics;\n"
                          "StartupNotify=false\n"
                          "X-Quillet-Installed=true\n")
        .arg(execLine(program), appId)
        .toUtf8();
}

QByteArray readSmall(const QString &path, qint64 limit)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink() || info.size() > limit || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Whether an existing executable is a Quillet copy (any build): a regular file that carries the
// mark. Read in pieces, with room for a mark cut at a piece's end.
bool isQuilletCopy(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray mark(buildMark);
    QByteArray tail;
    while (!file.atEnd()) {
        const QByteArray piece = tail + file.read(4 * 1024 * 1024);
        if (piece.contains(mark))
            return true;
        tail = piece.right(mark.size());
    }
    return false;
}

bool isOurDesktopEntry(const QString &path, const QString &program)
{
    const QByteArray text = readSmall(path, 64 * 1024);
    if (text.isEmpty())
        return false;
    if (text.contains("\nX-Quillet-Installed=true"))
        return true;
    // The entry the development scripts write for a build: it starts a quillet executable.
    for (const QByteArray &line : text.split('\n'))
        if (line.startsWith("Exec=")) {
            const QString exec = QString::fromUtf8(line.mid(5)).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char('"'));
            return QFileInfo(exec).fileName() == appId || exec == program;
        }
    return false;
}

bool isOurIcon(const QString &path)
{
    return readSmall(path, maxIconBytes).contains("data-quillet-icon");
}

// Writes a file through a temporary one beside it, which is removed on failure.
std::optional<QString> writeFile(const QString &path, const QByteArray &data, const QString &home,
                                 QFileDevice::Permissions permissions = {})
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return QStringLiteral("Could not make the folder %1.").arg(shown(QFileInfo(path).path(), home));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return QStringLiteral("Could not write %1: %2").arg(shown(path, home), file.errorString());
    if (permissions && !QFile::setPermissions(path, permissions))
        return QStringLiteral("Could not make %1 executable.").arg(shown(path, home));
    return std::nullopt;
}

// What one install has written so far, to be taken back when a later step fails: a file that
// was there before is moved aside first and comes back; one that was not is removed.
class Undo
{
public:
    ~Undo()
    {
        if (!m_kept)
            rollBack();
        for (const auto &[path, aside] : m_written)
            if (!aside.isEmpty())
                QFile::remove(aside);
    }
    // Moves an existing file out of the way before it is written; false when it cannot.
    bool prepare(const QString &path)
    {
        QString aside;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            aside = path + QStringLiteral(".quillet-undo");
            QFile::remove(aside);
            if (!QFile::rename(path, aside))
                return false;
        }
        m_written.emplace_back(path, aside);
        return true;
    }
    void keep() { m_kept = true; }

private:
    void rollBack()
    {
        for (auto it = m_written.rbegin(); it != m_written.rend(); ++it) {
            QFile::remove(it->first);
            if (!it->second.isEmpty())
                QFile::rename(it->second, it->first);
            it->second.clear();
        }
    }
    std::vector<std::pair<QString, QString>> m_written;
    bool m_kept = false;
};

std::optional<QString> copyExecutable(const QString &from, const QString &to, const QString &home)
{
    if (!QDir().mkpath(QFileInfo(to).path()))
        return QStringLiteral("Could not make the folder %1.").arg(shown(QFileInfo(to).path(), home));
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Could not read %1: %2").arg(from, in.errorString());
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("Could not write %1: %2").arg(shown(to, home), out.errorString());
    while (!in.atEnd()) {
        const QByteArray piece = in.read(4 * 1024 * 1024);
        if (piece.isEmpty() && in.error() != QFileDevice::NoError)
            return QStringLiteral("Could not read %1: %2").arg(from, in.errorString());
        if (out.write(piece) != piece.size())
            return QStringLiteral("Could not write %1: %2").arg(shown(to, home), out.errorString());
    }
    if (!out.commit())
        return QStringLiteral("Could not write %1: %2").arg(shown(to, home), out.errorString());
    const auto executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                            | QFileDevice::ExeOther;
    if (!QFile::setPermissions(to, executable))
        return QStringLiteral("Could not make %1 executable.").arg(shown(to, home));
    return std::nullopt;
}
// A login item that starts some other copy starts the installed one from now on.
void moveLoginItem(const Places &places)
{
    AutostartLoginItem running(places.autostart);
    if (!running.isEnabled())
        return;
    if (const auto problem = AutostartLoginItem(places.autostart, places.binary).setEnabled(true))
        activityLog(QStringLiteral("install window: the login item still starts the old copy: ") + *problem);
}
} // namespace

Places places()
{
    Places p;
    p.home = QDir::cleanPath(QDir::homePath());
    const QString data = xdg("XDG_DATA_HOME", p.home, QStringLiteral("/.local/share"));
    const QString cache = xdg("XDG_CACHE_HOME", p.home, QStringLiteral("/.cache"));
    p.binary = p.home + QStringLiteral("/.local/bin/") + appId;
    p.desktopEntry = data + QStringLiteral("/applications/") + appId + QStringLiteral(".desktop");
    p.icon = data + QStringLiteral("/icons/hicolor/scalable/apps/") + appId + QStringLiteral(".svg");
    p.madeFrom = cache + QStringLiteral("/Quillet/install");
    p.autostart = AutostartLoginItem::defaultPath();
    return p;
}

QString madeFrom(const QString &executable)
{
    const QFileInfo info(executable);
    if (!info.isFile())
        return QString();
    return QStringLiteral("%1\n%2\n%3").arg(info.canonicalFilePath()).arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

std::optional<QString> install(const QString &executable, const Places &places)
{
    initInstallResources();
    const QString &home = places.home;
    for (const QString &path : {places.binary, places.desktopEntry, places.icon, places.madeFrom})
        if (!insideHome(path, home))
            return QStringLiteral("%1 is outside your home folder; nothing was changed.").arg(path);
    // Started from the installed copy: it is in place already.
    const QString running = QFileInfo(executable).canonicalFilePath();
    if (!running.isEmpty() && running == QFileInfo(places.binary).canonicalFilePath()) {
        moveLoginItem(places);
        return std::nullopt;
    }
    const QString made = madeFrom(executable);
    if (made.isEmpty())
        return QStringLiteral("Could not read %1.").arg(executable);

    // Never replace what is not ours.
    if (QFileInfo::exists(places.binary) || QFileInfo(places.binary).isSymLink()) {
        if (!isQuilletCopy(places.binary))
            return QStringLiteral("%1 is not an earlier Quillet™ copy; nothing was changed.").arg(shown(places.binary, home));
    }
    if (QFileInfo::exists(places.desktopEntry) && !isOurDesktopEntry(places.desktopEntry, places.binary))
        return QStringLiteral("%1 is not Quillet™’s; nothing was changed.").arg(shown(places.desktopEntry, home));
    if (QFileInfo::exists(places.icon) && !isOurIcon(places.icon))
        return QStringLiteral("%1 is not Quillet™’s; nothing was changed.").arg(shown(places.icon, home));

    // Current already: nothing to copy.
    const QByteArray entry = desktopEntry(places.binary);
    QFile iconSource(QStringLiteral(":/install/quillet.svg"));
    if (!iconSource.open(QIODevice::ReadOnly))
        return QStringLiteral("This copy of Quillet™ was built without its icon.");
    const QByteArray icon = iconSource.readAll();
    if (readSmall(places.madeFrom, 64 * 1024) == made.toUtf8() && QFileInfo(places.binary).isFile()
        && readSmall(places.desktopEntry, 64 * 1024) == entry && readSmall(places.icon, maxIconBytes) == icon) {
        moveLoginItem(places);
        return std::nullopt;
    }

    QFile::remove(places.madeFrom);
    // All or nothing: a step that fails takes back what the earlier ones wrote.
    Undo undo;
    const auto cannotReplace = [&](const QString &path) {
        return QStringLiteral("Could not replace %1; nothing was changed.").arg(shown(path, home));
    };
    if (!undo.prepare(places.binary))
        return cannotReplace(places.binary);
    if (auto problem = copyExecutable(executable, places.binary, home))
        return problem;
    if (!undo.prepare(places.icon))
        return cannotReplace(places.icon);
    if (auto problem = writeFile(places.icon, icon, home))
        return problem;
    if (!undo.prepare(places.desktopEntry))
        return cannotReplace(places.desktopEntry);
    if (auto problem = writeFile(places.desktopEntry, entry, home))
        return problem;
    if (auto problem = writeFile(places.madeFrom, made.toUtf8(), home))
        return problem;
    undo.keep();
    moveLoginItem(places);
    return std::nullopt;
}

QString installedText(const Places &places)
{
    return QStringLiteral("Installed in %1; Quillet™ is now in your applications menu.")
        .arg(PlatformText::pathShown(QFileInfo(places.binary).path(), places.home));
}

void open(std::function<void(std::optional<QString>)> done)
{
    const QString executable = QCoreApplication::applicationFilePath();
    const Places where = places();
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    QPointer<QCoreApplication> app(QCoreApplication::instance());
    QThreadPool::globalInstance()->start([executable, where, timer, done = std::move(done), app] {
        const std::optional<QString> problem = install(executable, where);
        if (!app)
            return;
        QMetaObject::invokeMethod(app, [problem, timer, done] {
            activityLog(QStringLiteral("install window: ")
                        + (problem ? *problem
                                   : QString::asprintf("installed after %.1f s", timer->elapsed() / 1000.0)));
            if (done)
                done(problem);
        }, Qt::QueuedConnection);
    });
}

} // namespace InstallWindow
