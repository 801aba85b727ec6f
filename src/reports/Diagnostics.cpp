#include "Reports.h"

#include "app/ActivityLog.h"
#include "document/Scrub.h"
#include "platform/Paths.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <mutex>

namespace Reports {

void storeDiagnostics(const QList<DiagnosticPayload> &payloads)
{
    static std::mutex lock;
    const QString folder = diagnosticsFolder();
    PrivateFiles::makeFolder(folder);
    for (const DiagnosticPayload &payload : payloads) {
        activityLog(QStringLiteral("diagnostics: %1 crash, %2 hang").arg(payload.crashes).arg(payload.hangs));
        if (payload.hangs == 0)
            continue;
        std::lock_guard<std::mutex> guard(lock);
        // Kept until a report carries them; beyond 5 the folder would only grow.
        if (QDir(folder).entryList(QDir::Files).size() >= 5)
            continue;
        const QString text = Scrub::text(QString::fromUtf8(payload.json), Paths::identity());
        PrivateFiles::writeNew(QDir(folder).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                                                     + QStringLiteral(".json")),
                               text.toUtf8());
    }
}

} // namespace Reports
