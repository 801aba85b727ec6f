#include "AutostartLoginItem.h"

#include "platform/BuildInfo.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
std::shared_ptr<LoginItem> &instance()
{
    static std::shared_ptr<LoginItem> shared;
    return shared;
}

// Quotes an Exec argument as the desktop entry specification asks.
QString quoted(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool plain = !argument.isEmpty();
    for (QChar c : argument)
        plain = plain && !reserved.contains(c);
    if (plain)
        return argument;
    QString out = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}
} // namespace

LoginItem &LoginItem::shared()
{
    if (!instance())
        instance() = std::make_shared<AutostartLoginItem>();
    return *instance();
}

void LoginItem::setShared(std::shared_ptr<LoginItem> replacement)
{
    instance() = std::move(replacement);
}

AutostartLoginItem::AutostartLoginItem(QString path, QString executable)
    : m_path(path.isEmpty() ? defaultPath() : std::move(path))
    , m_executable(executable.isEmpty() ? QCoreApplication::applicationFilePath()
                                        : std::move(executable))
{
}

QString AutostartLoginItem::defaultPath()
{
    const QString id = BuildInfo::bundleIdentifier();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/") + (id.isEmpty() ? QStringLiteral("quillet") : id)
           + QStringLiteral(".desktop");
}

QByteArray AutostartLoginItem::entry(const QString &executable)
{
    QByteArray text = "[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=Quillet\n"
                      "Comment=Screenshot and markup tool\n";
    text += "Exec=" + quoted(executable).replace(u'%', QStringLiteral("%%")).toUtf8() + "\n";
    text += "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n";
    return text;
}

bool AutostartLoginItem::isEnabled() const
{
    // Read through the safe reader: a FIFO or a device in the entry's place must not hang the
    // start or the settings window. The entry may be a link (dotfile managers make them).
    const RegularFile::Contents contents = RegularFile::read(m_path, RegularFile::desktopEntryCap);
    if (!contents.ok()) {
        if (contents.status != RegularFile::Status::missing)
            qWarning("autostart entry %s not read: %s", qPrintable(m_path), qPrintable(contents.error));
        return false;
    }
    bool inMain = false;
    for (const QByteArray &raw : contents.data.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        if (!inMain)
            continue;
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed().toLower();
        if (key == "Hidden" && value == "true")
            return false;
        if (key == "X-GNOME-Autostart-enabled" && value == "false")
            return false;
    }
    return true;
}

std::optional<QString> AutostartLoginItem::setEnabled(bool on)
{
    if (!on) {
        QFile file(m_path);
        if (!file.exists() || file.remove())
            return std::nullopt;
        return file.errorString();
    }
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return QStringLiteral("The folder %1 cannot be made.").arg(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(entry(m_executable));
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
