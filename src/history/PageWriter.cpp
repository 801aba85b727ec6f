#include "history/PageWriter.h"

#include "capture/CaptureSession.h"
#include "capture/SessionCanvas.h"
#include "history/Recents.h"

#include <QUuid>

namespace PageWriter {
namespace {
std::optional<QString> saveToHistory(const Request &r)
{
    return Recents::save(r.markup, r.images, r.picture, r.id, r.group, r.order, r.created, r.wait);
}
} // namespace

void writePages(CaptureSession &session, SessionCanvas &canvas, bool sync, const Store &store)
{
    const QList<SessionPage> pages = canvas.pagesForSaving();
    if (pages.isEmpty())
        return;
    if (pages.size() >= 2 && !session.historyGroup())
        session.setHistoryGroup(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    const std::optional<QString> group = session.historyGroup();
    QHash<QString, WrittenPage> &written = session.writtenPages();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const SessionPage &page = pages[i];
        const WrittenPage now{page.markup, page.picture, group, i};
        if (page.historyId) {
            const auto last = written.constFind(*page.historyId);
            if (!sync && last != written.constEnd() && *last == now)
                continue;
        } else if (page.asAdded && *page.asAdded == page.markup) {
            continue;
        }
        const Request request{page.markup, page.images, page.picture, page.historyId, group, i, page.created, sync};
        const std::optional<QString> id = store ? store(request) : saveToHistory(request);
        if (!id)
            continue;
        if (!page.historyId)
            canvas.setPageHistory(int(i), id, page.created);
        written.insert(*id, now);
    }
}

void install()
{
    CaptureSession::writePages = [](CaptureSession &session, SessionCanvas &canvas, bool sync) {
        writePages(session, canvas, sync);
    };
}

} // namespace PageWriter
