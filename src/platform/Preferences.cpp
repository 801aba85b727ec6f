#include "Preferences.h"

#include "Paths.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::mutex loggerLock;
std::function<void(const QString &)> &loggerSlot()
{
    static std::function<void(const QString &)> slot;
    return slot;
}
// Problems met before a logger was set; handed to it when it is.
QStringList &pendingLines()
{
    static QStringList lines;
    return lines;
}

bool isIntegral(const QJsonValue &v)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.0e15;
}

// A file that is being rewritten in place may be caught half way; a few tries get past that.
constexpr int readTries = 3;

// Held while a change reads, modifies and writes the file, so that two processes changing
// different keys both keep theirs. The lock is on the folder itself: no lock file to leave behind.
class FolderLock
{
public:
    explicit FolderLock(const QString &folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int m_fd;
};
} // namespace

Preferences &Preferences::shared()
{
    static Preferences instance;
    return instance;
}

Preferences::Preferences() = default;

void Preferences::setProblemLogger(std::function<void(const QString &)> logger)
{
    QStringList waiting;
    {
        std::lock_guard<std::mutex> guard(loggerLock);
        loggerSlot() = logger;
        if (logger)
            waiting.swap(pendingLines());
    }
    for (const QString &line : waiting)
        logger(line);
}

void Preferences::problem(const QString &line)
{
    std::function<void(const QString &)> logger;
    {
        std::lock_guard<std::mutex> guard(loggerLock);
        logger = loggerSlot();
        if (!logger)
            pendingLines().append(line);
    }
    if (logger)
        logger(line);
    else
        qWarning("%s", qPrintable(line));
}

QString Preferences::filePath() const
{
    return Paths::configDir() + QStringLiteral("/preferences.json");
}

Preferences::Stamp Preferences::stampOf(const QString &path)
{
    Stamp stamp;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

void Preferences::useMemoryScope()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_memory = true;
    m_loaded = true;
    m_values = QJsonObject();
    m_stamp = Stamp();
}

bool Preferences::inMemoryScope() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_memory;
}

void Preferences::refreshLocked()
{
    if (m_memory)
        return;
    const QString path = filePath();
    if (m_loaded && path == m_path && stampOf(path) == m_stamp)
        return;
    readLocked();
}

void Preferences::readLocked()
{
    const QString path = filePath();
    const bool samePath = path == m_path;
    m_loaded = true;
    m_path = path;

    Stamp stamp;
    RegularFile::Contents contents;
    for (int tries = 0; tries < readTries; ++tries) {
        stamp = stampOf(path);
        contents = RegularFile::read(path, RegularFile::settingsCap);
        if (contents.status != RegularFile::Status::changed)
            break;
    }
    using Status = RegularFile::Status;
    switch (contents.status) {
    case Status::ok:
        break;
    case Status::missing:
        m_values = QJsonObject();
        m_stamp = stamp;
        return;
    case Status::changed:
        // Still being written: keep what was read before and look again at the next read.
        problem(QStringLiteral("preferences: %1 changed while it was read; kept the values read before")
                    .arg(path));
        if (!samePath)
            m_values = QJsonObject();
        m_stamp = Stamp();
        return;
    case Status::failed:
        problem(QStringLiteral("preferences: cannot read %1: %2").arg(path, contents.error));
        m_values = QJsonObject();
        m_stamp = stamp;
        return;
    case Status::notRegular:
    case Status::tooLarge:
        break;
    }

    QString reason = contents.error;
    if (contents.ok()) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(contents.data, &error);
        if (error.error == QJsonParseError::NoError && doc.isObject()) {
            m_values = doc.object();
            m_stamp = stamp;
            return;
        }
        reason = error.error == QJsonParseError::NoError ? QStringLiteral("not an object") : error.errorString();
    }
    // Keep what is there for the user instead of writing over it, and start empty.
    m_values = QJsonObject();
    const QString bad = path + QStringLiteral(".bad");
    QFile::remove(bad);
    const bool moved = QFile::rename(path, bad);
    problem(QStringLiteral("preferences: %1 is not a JSON object (%2); %3")
                .arg(path, reason,
                     moved ? QStringLiteral("kept aside as ") + bad
                           : QStringLiteral("could not move it aside")));
    m_stamp = stampOf(path);
}

bool Preferences::changeLocked(const std::function<void(QJsonObject &)> &change)
{
    if (m_memory) {
        change(m_values);
        return true;
    }
    const QString folder = QFileInfo(filePath()).absolutePath();
    Paths::makePrivateFolder(folder);
    const FolderLock lock(folder);
    // What is on disk now, so that changes made elsewhere since the last read survive.
    readLocked();
    change(m_values);

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        problem(QStringLiteral("preferences: cannot write %1: %2").arg(m_path, file.errorString()));
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(m_values).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        problem(QStringLiteral("preferences: cannot write %1: %2").arg(m_path, file.errorString()));
        return false;
    }
    m_stamp = stampOf(m_path);
    return true;
}

void Preferences::reload()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_memory)
        readLocked();
}

bool Preferences::contains(const QString &key) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    const_cast<Preferences *>(this)->refreshLocked();
    return m_values.contains(key);
}

QJsonValue Preferences::value(const QString &key) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    const_cast<Preferences *>(this)->refreshLocked();
    return m_values.value(key);
}

std::optional<bool> Preferences::boolValue(const QString &key) const
{
    const QJsonValue v = value(key);
    if (!v.isBool())
        return std::nullopt;
    return v.toBool();
}

std::optional<qint64> Preferences::intValue(const QString &key) const
{
    const QJsonValue v = value(key);
    if (!isIntegral(v))
        return std::nullopt;
    return static_cast<qint64>(v.toDouble());
}

std::optional<double> Preferences::numberValue(const QString &key) const
{
    const QJsonValue v = value(key);
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
}

std::optional<QString> Preferences::stringValue(const QString &key) const
{
    const QJsonValue v = value(key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<QStringList> Preferences::stringList(const QString &key) const
{
    const QJsonValue v = value(key);
    if (!v.isArray())
        return std::nullopt;
    QStringList out;
    for (const QJsonValue &e : v.toArray()) {
        if (!e.isString())
            return std::nullopt;
        out.append(e.toString());
    }
    return out;
}

std::optional<QList<qint64>> Preferences::intList(const QString &key) const
{
    const QJsonValue v = value(key);
    if (!v.isArray())
        return std::nullopt;
    QList<qint64> out;
    for (const QJsonValue &e : v.toArray()) {
        if (!isIntegral(e))
            return std::nullopt;
        out.append(static_cast<qint64>(e.toDouble()));
    }
    return out;
}

bool Preferences::setValue(const QString &key, const QJsonValue &v)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return changeLocked([&key, &v](QJsonObject &values) {
        if (v.isUndefined())
            values.remove(key);
        else
            values.insert(key, v);
    });
}

bool Preferences::remove(const QString &key)
{
    return setValue(key, QJsonValue(QJsonValue::Undefined));
}

bool Preferences::removeAllExcept(const QStringList &keep)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return changeLocked([&keep](QJsonObject &values) {
        QJsonObject kept;
        for (const QString &key : keep)
            if (values.contains(key))
                kept.insert(key, values.value(key));
        values = kept;
    });
}
