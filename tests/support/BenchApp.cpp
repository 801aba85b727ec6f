#include "BenchApp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

BenchApp::BenchApp(const QString &path, const QByteArray &preferences) : m_path(path)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                            "XDG_RUNTIME_DIR"}) {
        const QString dir = m_home.path() + QLatin1Char('/') + QLatin1String(var);
        QDir().mkpath(dir);
        env.insert(QLatin1String(var), dir);
    }
    QFile::setPermissions(m_home.path() + QStringLiteral("/XDG_RUNTIME_DIR"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No welcome window on screen.
    QDir().mkpath(m_home.path() + QStringLiteral("/XDG_CONFIG_HOME/Quillet"));
    QFile prefs(m_home.path() + QStringLiteral("/XDG_CONFIG_HOME/Quillet/preferences.json"));
    if (prefs.open(QIODevice::WriteOnly))
        prefs.write(preferences);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

BenchApp::~BenchApp()
{
    stop();
}

bool BenchApp::start(int timeoutMs)
{
    m_process.start(m_path, {});
    if (!m_process.waitForStarted())
        return false;
    QElapsedTimer started;
    started.start();
    while (started.elapsed() < timeoutMs) {
        if (log(QStringLiteral("app.log")).contains("launch: started"))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void BenchApp::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(2000);
}

QString BenchApp::logDir() const
{
    return m_home.path() + QStringLiteral("/XDG_STATE_HOME/Quillet");
}

QByteArray BenchApp::log(const QString &name) const
{
    QFile f(logDir() + QLatin1Char('/') + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QList<double>> BenchApp::capturedFigures(const QString &pattern) const
{
    const QRegularExpression form(pattern);
    QList<QList<double>> out(2);
    for (const QByteArray &line : log(QStringLiteral("capture.log")).split('\n')) {
        const auto m = form.match(QString::fromUtf8(line));
        if (!m.hasMatch())
            continue;
        out[0].append(m.captured(1).toDouble());
        out[1].append(m.captured(2).toDouble());
    }
    return out;
}

double BenchApp::pssMegabytes() const
{
    QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid()));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

QStringList BenchApp::largestMappings(int count) const
{
    QFile f(QStringLiteral("/proc/%1/smaps").arg(pid()));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<std::pair<double, QString>> found;
    QString name;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-') && !line.endsWith(':')) {
            name = fields.size() >= 6 ? QString::fromUtf8(fields[5]) : QString::fromUtf8(fields[0]);
        } else if (line.startsWith("Pss:")) {
            found.append({fields.value(1).toDouble() / 1024.0, name});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList out;
    for (qsizetype i = 0; i < found.size() && i < count; ++i)
        out << QString::asprintf("%.1f MB %s", found[i].first, qPrintable(found[i].second));
    return out;
}

namespace BenchFigures {
double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QString spread(QList<double> v)
{
    if (v.isEmpty())
        return QStringLiteral("no figures");
    const auto [lo, hi] = std::minmax_element(v.cbegin(), v.cend());
    return QString::asprintf("min %.1f  median %.1f  max %.1f ms (%lld)", *lo, median(v), *hi,
                             static_cast<long long>(v.size()));
}

QString load()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).split(QLatin1Char(' ')).mid(0, 3).join(QLatin1Char(' '));
}
} // namespace BenchFigures
