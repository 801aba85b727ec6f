#include "LinuxSystemProbe.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QSysInfo>

#include <unistd.h>

namespace {
// A small firmware file's first line, without NULs and surrounding blanks.
QString readFact(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = file.read(256);
    bytes.replace('\0', ' ');
    return QString::fromUtf8(bytes).section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool meaningful(const QString &fact)
{
    static const QStringList placeholders = {
        QStringLiteral("To be filled by O.E.M."), QStringLiteral("Default string"),
        QStringLiteral("System Product Name"), QStringLiteral("Not Specified"),
    };
    return !fact.isEmpty() && !placeholders.contains(fact, Qt::CaseInsensitive);
}
} // namespace

QString LinuxSystemProbe::os() const
{
    return QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelType()
           + QLatin1Char(' ') + QSysInfo::kernelVersion() + QLatin1Char(')');
}

QString LinuxSystemProbe::modelFrom(const QString &dmiFolder, const QString &deviceTreeModel)
{
    const QString product = readFact(dmiFolder + QStringLiteral("/product_name"));
    if (meaningful(product)) {
        const QString vendor = readFact(dmiFolder + QStringLiteral("/sys_vendor"));
        if (meaningful(vendor) && !product.startsWith(vendor, Qt::CaseInsensitive))
            return vendor + QLatin1Char(' ') + product;
        return product;
    }
    const QString tree = readFact(deviceTreeModel);
    return meaningful(tree) ? tree : QStringLiteral("unknown");
}

QString LinuxSystemProbe::model() const
{
    return modelFrom(QStringLiteral("/sys/class/dmi/id"), QStringLiteral("/proc/device-tree/model"));
}

QString LinuxSystemProbe::arch() const
{
    return QSysInfo::currentCpuArchitecture();
}

QString LinuxSystemProbe::locale() const
{
    return QLocale::system().name();
}

qint64 LinuxSystemProbe::memoryBytes() const
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * qint64(pageSize) : 0;
}

QList<SystemProbe::Screen> LinuxSystemProbe::screens() const
{
    QList<Screen> list;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return list;
    for (QScreen *screen : QGuiApplication::screens())
        list << Screen{screen->geometry().width() * 1.0, screen->geometry().height() * 1.0, screen->devicePixelRatio()};
    return list;
}
