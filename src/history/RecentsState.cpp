#include "RecentsState.h"

#include "Recents.h"
#include "app/ActivityLog.h"

#include "platform/RegularFile.h"

namespace Recents::detail {

State &state()
{
    static State *s = new State; // never destroyed: queued work may still use it at exit
    return *s;
}

void reportOnce(const QString &key, const QString &message)
{
    {
        State &s = state();
        std::lock_guard guard(s.lock);
        if (s.reported.contains(key))
            return;
        s.reported.insert(key);
    }
    report(message);
}

void report(const QString &message) { activityLog(QStringLiteral("history: ") + message); }

bool isEntryName(const QString &id)
{
    return !id.isEmpty() && id != QLatin1String(".") && id != QLatin1String("..")
        && !id.contains(QLatin1Char('/')) && !id.contains(QChar(0));
}

QString entryFolder(const QString &id) { return folder() + QLatin1Char('/') + id; }

std::optional<Saved> readSaved(const QString &id)
{
    if (!isEntryName(id))
        return std::nullopt;
    const RegularFile::Contents file = RegularFile::read(entryFolder(id) + QLatin1Char('/') + canvasFile,
                                                         RegularFile::documentCap, RegularFile::Links::refuse);
    if (!file.ok()) {
        reportOnce(QStringLiteral("canvas:") + id,
                   QStringLiteral("entry %1 has no readable canvas.json (%2)").arg(id, file.error));
        return std::nullopt;
    }
    QString error;
    auto saved = Saved::decode(file.data, &error);
    if (!saved)
        reportOnce(QStringLiteral("canvas:") + id,
                   QStringLiteral("entry %1 is unreadable: %2").arg(id, error));
    return saved;
}

std::optional<QDateTime> savedCreated(const QString &id)
{
    if (const auto date = cached(&State::createdCache, id))
        return date;
    if (const auto saved = readSaved(id))
        return saved->created;
    return std::nullopt;
}

} // namespace Recents::detail
