#include "Preferences.h"

#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

#include <cmath>

namespace {
std::mutex loggerLock;
std::function<void(const QString &)> &loggerSlot()
{
    static std::function<void(const QString &)> slot;
    return slot;
}

bool isIntegral(const QJsonValue &v)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.0e15;
}
} // namespace

Preferences &Preferences::shared()
{
    static Preferences instance;
    return instance;
}

Preferences::Preferences() = default;

void Preferences::setProblemLogger(std::function<void(const QString &)> logger)
{
    std::lock_guard<std::mutex> guard(loggerLock);
    loggerSlot() = std::move(logger);
}

void Preferences::problem(const QString &line)
{
    std::function<void(const QString &)> logger;
    {
        std::lock_guard<std::mutex> guard(loggerLock);
        logger = loggerSlot();
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

void Preferences::loadLocked()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_path = filePath();
    m_values = QJsonObject();
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        problem(QStringLiteral("preferences: cannot read %1: %2").arg(m_path, file.errorString()));
        return;
    }
    const QByteArray data = file.readAll();
    file.close();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error == QJsonParseError::NoError && doc.isObject()) {
        m_values = doc.object();
        return;
    }
    // Keep the broken file for the user instead of writing over it.
    const QString bad = m_path + QStringLiteral(".bad");
    QFile::remove(bad);
    const bool moved = QFile::rename(m_path, bad);
    problem(QStringLiteral("preferences: %1 is not a JSON object (%2); %3")
                .arg(m_path,
                     error.error == QJsonParseError::NoError ? QStringLiteral("not an object")
                                                             : error.errorString(),
                     moved ? QStringLiteral("kept aside as ") + bad
                           : QStringLiteral("could not move it aside")));
}

bool Preferences::saveLocked()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        problem(QStringLiteral("preferences: cannot write %1: %2").arg(m_path, file.errorString()));
        return false;
    }
    file.write(QJsonDocument(m_values).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        problem(QStringLiteral("preferences: cannot write %1: %2").arg(m_path, file.errorString()));
        return false;
    }
    return true;
}

void Preferences::reload()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_loaded = false;
    loadLocked();
}

bool Preferences::contains(const QString &key) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    const_cast<Preferences *>(this)->loadLocked();
    return m_values.contains(key);
}

QJsonValue Preferences::value(const QString &key) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    const_cast<Preferences *>(this)->loadLocked();
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
    loadLocked();
    if (v.isUndefined())
        m_values.remove(key);
    else
        m_values.insert(key, v);
    return saveLocked();
}

bool Preferences::remove(const QString &key)
{
    return setValue(key, QJsonValue(QJsonValue::Undefined));
}

bool Preferences::removeAllExcept(const QStringList &keep)
{
    std::lock_guard<std::mutex> guard(m_lock);
    loadLocked();
    QJsonObject kept;
    for (const QString &key : keep)
        if (m_values.contains(key))
            kept.insert(key, m_values.value(key));
    m_values = kept;
    return saveLocked();
}
