#include "CrashStore.h"

#include "reports/CrashCapture.h"
#include "reports/ReportFiles.h"
#include "reports/Symbols.h"

#include "document/JsonText.h"
#include "platform/Paths.h"
#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimeZone>
#include <QUuid>

#include <csignal>
#include <link.h>
#include <unistd.h>

namespace CrashStore {
namespace {
struct Mapping {
    quint64 start = 0;
    quint64 end = 0;
    quint64 offset = 0;
    QString path;
};

struct Record {
    QHash<QString, QString> facts;
    QList<quint64> frames;
    QList<Mapping> maps;
};

Record parse(const QByteArray &bytes)
{
    Record r;
    enum { facts, frames, maps } part = facts;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (part == facts) {
            if (line == QLatin1String("frames")) {
                part = frames;
                continue;
            }
            const qsizetype blank = line.indexOf(QLatin1Char(' '));
            if (blank > 0)
                r.facts.insert(line.left(blank), line.mid(blank + 1));
        } else if (part == frames) {
            if (line == QLatin1String("maps")) {
                part = maps;
                continue;
            }
            bool ok = false;
            const quint64 pc = line.toULongLong(&ok, 16);
            if (ok)
                r.frames << pc;
        } else {
            // start-end perms offset dev inode path
            const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (f.size() < 6)
                continue;
            Mapping m;
            bool ok1 = false, ok2 = false, ok3 = false;
            m.start = f[0].section(QLatin1Char('-'), 0, 0).toULongLong(&ok1, 16);
            m.end = f[0].section(QLatin1Char('-'), 1, 1).toULongLong(&ok2, 16);
            m.offset = f[2].toULongLong(&ok3, 16);
            m.path = f.mid(5).join(QLatin1Char(' '));
            if (ok1 && ok2 && ok3 && m.path.startsWith(QLatin1Char('/')))
                r.maps << m;
        }
    }
    return r;
}

// The load address of the main program of this process.
quint64 ownBias()
{
    static const quint64 bias = [] {
        quint64 b = 0;
        dl_iterate_phdr([](struct dl_phdr_info *info, size_t, void *data) {
            *static_cast<quint64 *>(data) = info->dlpi_addr;
            return 1;
        }, &b);
        return b;
    }();
    return bias;
}

QString timestampText(const QDateTime &utc)
{
    const QDateTime local = utc.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss."))
           + QStringLiteral("%1").arg(local.time().msec() / 10, 2, 10, QLatin1Char('0'))
           + (offset < 0 ? QStringLiteral(" -") : QStringLiteral(" +"))
           + QStringLiteral("%1%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// Frames of the uncaught-exception handler are the crash machinery's, not the place.
bool isMachinery(const QString &symbol)
{
    return symbol.startsWith(QLatin1String("Reports::uncaughtExceptionHandler"));
}
} // namespace

QString signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return QStringLiteral("SIGSEGV");
    case SIGBUS: return QStringLiteral("SIGBUS");
    case SIGILL: return QStringLiteral("SIGILL");
    case SIGFPE: return QStringLiteral("SIGFPE");
    case SIGABRT: return QStringLiteral("SIGABRT");
    case SIGTRAP: return QStringLiteral("SIGTRAP");
    default: return QStringLiteral("SIG%1").arg(signal);
    }
}

QString exceptionType(int signal)
{
    switch (signal) {
    case SIGSEGV:
    case SIGBUS: return QStringLiteral("EXC_BAD_ACCESS");
    case SIGTRAP: return QStringLiteral("EXC_BREAKPOINT");
    case SIGILL: return QStringLiteral("EXC_BAD_INSTRUCTION");
    case SIGFPE: return QStringLiteral("EXC_ARITHMETIC");
    default: return QStringLiteral("EXC_CRASH");
    }
}

std::optional<Converted> convert(const QByteArray &bytes)
{
    if (!bytes.startsWith("quillet crash record 1\n"))
        return std::nullopt;
    const Record r = parse(bytes);
    const QString exe = r.facts.value(QStringLiteral("exe"));
    const QStringList time = r.facts.value(QStringLiteral("time")).split(QLatin1Char(' '));
    QDateTime crashed = QDateTime::currentDateTimeUtc();
    if (time.size() == 2)
        crashed = QDateTime::fromMSecsSinceEpoch(time[0].toLongLong() * 1000 + time[1].toLongLong() / 1000000,
                                                 QTimeZone::utc());
    const bool sameBuild = !r.facts.value(QStringLiteral("buildid")).isEmpty()
                           && r.facts.value(QStringLiteral("buildid")) == CrashCapture::ownBuildId()
                           && QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget() == exe;

    // Where each image of the crashed process was loaded: its mapping at file offset 0.
    QHash<QString, quint64> bases;
    for (const Mapping &m : r.maps)
        if (m.offset == 0 && !bases.contains(m.path))
            bases.insert(m.path, m.start);

    QJsonArray images;
    QHash<QString, int> imageIndex;
    auto indexOf = [&](const QString &path) {
        auto it = imageIndex.constFind(path);
        if (it != imageIndex.constEnd())
            return it.value();
        QJsonObject image;
        image.insert(QStringLiteral("name"), path == exe ? QStringLiteral("Quillet") : QFileInfo(path).fileName());
        image.insert(QStringLiteral("path"), path);
        image.insert(QStringLiteral("base"), QStringLiteral("0x%1").arg(bases.value(path), 0, 16));
        if (path == exe)
            image.insert(QStringLiteral("uuid"), r.facts.value(QStringLiteral("buildid")));
        images.append(image);
        imageIndex.insert(path, int(images.size() - 1));
        return int(images.size() - 1);
    };
    if (!exe.isEmpty())
        indexOf(exe);

    QJsonArray frames;
    for (int i = 0; i < r.frames.size(); ++i) {
        const quint64 pc = r.frames[i];
        QJsonObject frame;
        const Mapping *hit = nullptr;
        for (const Mapping &m : r.maps) {
            if (pc >= m.start && pc < m.end) {
                hit = &m;
                break;
            }
        }
        if (!hit) {
            frame.insert(QStringLiteral("address"), qint64(pc));
            frames.append(frame);
            continue;
        }
        const quint64 offset = pc - bases.value(hit->path, hit->start - hit->offset);
        frame.insert(QStringLiteral("imageIndex"), indexOf(hit->path));
        frame.insert(QStringLiteral("imageOffset"), qint64(offset));
        if (hit->path == exe && sameBuild) {
            const void *own = reinterpret_cast<const void *>(ownBias() + offset);
            const QString symbol = Symbols::functionAt(own, i > 0);
            if (isMachinery(symbol))
                continue;
            if (!symbol.isEmpty())
                frame.insert(QStringLiteral("symbol"), symbol);
        }
        frames.append(frame);
    }

    const int signal = r.facts.value(QStringLiteral("signal")).toInt();
    QJsonObject exception;
    exception.insert(QStringLiteral("type"), signal ? exceptionType(signal) : QStringLiteral("EXC_CRASH"));
    if (signal)
        exception.insert(QStringLiteral("signal"), signalName(signal));
    exception.insert(QStringLiteral("subtype"), QStringLiteral("code %1 at %2")
                         .arg(r.facts.value(QStringLiteral("code")), r.facts.value(QStringLiteral("address"))));

    QJsonObject thread;
    thread.insert(QStringLiteral("triggered"), true);
    thread.insert(QStringLiteral("id"), r.facts.value(QStringLiteral("tid")).toLongLong());
    thread.insert(QStringLiteral("frames"), frames);

    const QString bundle = r.facts.value(QStringLiteral("bundle"));
    QJsonObject body;
    body.insert(QStringLiteral("exception"), exception);
    body.insert(QStringLiteral("faultingThread"), 0);
    body.insert(QStringLiteral("threads"), QJsonArray{thread});
    body.insert(QStringLiteral("usedImages"), images);
    body.insert(QStringLiteral("procPath"), exe);
    body.insert(QStringLiteral("pid"), r.facts.value(QStringLiteral("pid")).toLongLong());
    body.insert(QStringLiteral("bundleInfo"), QJsonObject{{QStringLiteral("CFBundleIdentifier"), bundle}});
    // A record without its frames list ends was cut short while being written.
    if (!r.facts.contains(QStringLiteral("tid")) || r.maps.isEmpty())
        body.insert(QStringLiteral("recordCutShort"), true);

    QJsonObject header;
    header.insert(QStringLiteral("app_name"), QStringLiteral("Quillet"));
    header.insert(QStringLiteral("name"), QStringLiteral("Quillet"));
    header.insert(QStringLiteral("bundleID"), bundle);
    header.insert(QStringLiteral("app_version"), r.facts.value(QStringLiteral("version")));
    header.insert(QStringLiteral("build_version"), r.facts.value(QStringLiteral("build")));
    header.insert(QStringLiteral("incident_id"), QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    header.insert(QStringLiteral("timestamp"), timestampText(crashed));
    header.insert(QStringLiteral("commit"), r.facts.value(QStringLiteral("commit")));

    Converted out;
    out.text = QString::fromUtf8(JsonText::compact(header)) + QLatin1Char('\n')
               + QString::fromUtf8(JsonText::pretty(body, true));
    out.crashed = crashed;
    return out;
}

QStringList convertPending(const QString &recordsFolderIn, const QString &reportsFolderIn)
{
    const QString recordsFolder = recordsFolderIn.isEmpty() ? Paths::crashesDir() : recordsFolderIn;
    const QString reportsFolder = reportsFolderIn.isEmpty() ? Paths::crashReportsDir() : reportsFolderIn;
    const QString ownPending = QFileInfo(CrashCapture::pendingPath()).fileName();
    const QString ownRecord = QFileInfo(CrashCapture::recordPath()).fileName();
    QStringList written;
    const QFileInfoList entries = QDir(recordsFolder).entryInfoList(
        {QStringLiteral("quillet-*.crash"), QStringLiteral("quillet-*.crash.part")}, QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName() == ownPending || entry.fileName() == ownRecord)
            continue;
        // A record still being written by another running process is left for later.
        const qint64 pid = entry.fileName().section(QLatin1Char('-'), 3, 3).section(QLatin1Char('.'), 0, 0).toLongLong();
        if (entry.fileName().endsWith(QLatin1String(".part")) && pid > 0 && pid != getpid()
            && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
            continue;
        const std::optional<QByteArray> record = ReportFiles::read(entry.filePath(), RegularFile::crashCap);
        const std::optional<Converted> converted = record ? convert(*record) : std::nullopt;
        if (!converted) {
            QFile::remove(entry.filePath());
            continue;
        }
        PrivateFiles::makeFolder(reportsFolder);
        const QString stem = QStringLiteral("quillet-") + converted->crashed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
        QString target = QDir(reportsFolder).filePath(stem + QStringLiteral(".ips"));
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = QDir(reportsFolder).filePath(stem + QStringLiteral("-%1.ips").arg(n));
        if (!PrivateFiles::write(target, converted->text.toUtf8()))
            continue;
        QFile stamped(target);
        if (stamped.open(QIODevice::ReadWrite))
            stamped.setFileTime(converted->crashed, QFileDevice::FileModificationTime);
        QFile::remove(entry.filePath());
        written << target;
    }
    return written;
}

} // namespace CrashStore
