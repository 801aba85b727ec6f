#include "TestEnv.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace TestEnv {

void prepare()
{
    const QString h = QString::fromLocal8Bit(qgetenv("HOME"));
    if (!h.contains(QLatin1String("/testhome/"))) {
        std::fprintf(stderr, "TestEnv: HOME (%s) is not a test home; run the tests through ctest\n",
                     qPrintable(h));
        std::exit(2);
    }
    QDir(h).removeRecursively();
    for (const char *var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                            "XDG_RUNTIME_DIR"}) {
        const QString dir = QString::fromLocal8Bit(qgetenv(var));
        if (!dir.isEmpty())
            QDir().mkpath(dir);
    }
    QFile::setPermissions(QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString home()
{
    return QString::fromLocal8Bit(qgetenv("HOME"));
}

QString helperPath(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

} // namespace TestEnv
