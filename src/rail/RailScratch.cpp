#include "rail/RailScratch.h"

#include "export/ExportScene.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace {
const QString dragPrefix = QStringLiteral("drag-");
}

namespace RailScratch {

QString folder()
{
    return ExportScene::scratchFolder();
}

void prune(const QString &base, double seconds)
{
    const QDateTime cutoff = QDateTime::currentDateTime().addMSecs(qint64(-seconds * 1000));
    const QFileInfoList old = QDir(base).entryInfoList({dragPrefix + QLatin1Char('*')},
                                                       QDir::Dirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    for (const QFileInfo &info : old) {
        if (info.isSymLink()) {
            QFile::remove(info.filePath());
            continue;
        }
        if (info.lastModified() < cutoff)
            QDir(info.filePath()).removeRecursively();
    }
}

QString newDragFolder()
{
    const QString base = folder();
    if (base.isEmpty())
        return {};
    prune(base, 3600);
    QByteArray templ = QFile::encodeName(base + QLatin1Char('/') + dragPrefix + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(templ.data()))
        return {};
    return QFile::decodeName(templ);
}

} // namespace RailScratch
