// Removing pages and earlier captures picked in the rail, and putting their history entries back
// when the removal is undone.
#include "canvas/CanvasController.h"

#include "capture/CaptureSession.h"

#include <QDir>

#include <algorithm>

namespace {
constexpr int removalsKept = 30;

QString entryFolder(const QString &id)
{
    return QDir(Recents::folder()).filePath(id);
}

// Moves the entry to the Trash on the history queue, so that an undo can bring it back.
void trashEntry(const QString &id)
{
    const QString folder = entryFolder(id);
    Recents::queue().async([id, folder] { Recents::trash(id, folder); });
}
} // namespace

bool CanvasController::removePages(const QList<PageRail::Row> &rows)
{
    QSet<int> doomed;
    QStringList recents;
    for (const PageRail::Row &row : rows) {
        if (row.isPage() && row.page >= 0 && row.page < pages.size())
            doomed.insert(row.page);
        else if (row.isRecent() && !recents.contains(row.recent))
            recents << row.recent;
    }
    // Every page picked: the canvas keeps one. The first earlier capture after the current page's
    // row (in rail order, wrapping) that opens becomes a page; without one the current page stays.
    if (!doomed.isEmpty() && doomed.size() == pages.size()) {
        const QList<PageRail::Row> order = railRows();
        const qsizetype here = order.indexOf(PageRail::Row::ofPage(currentPage));
        bool opened = false;
        for (qsizetype k = 1; k <= order.size() && !opened; ++k) {
            const PageRail::Row &row = order[(here + k) % order.size()];
            if (!row.isRecent() || recents.contains(row.recent))
                continue;
            const qsizetype before = pages.size();
            if (!openRecent(row.recent) || pages.size() != before + 1)
                continue;
            opened = true;
            QSet<int> shifted;
            for (int i : std::as_const(doomed))
                shifted.insert(i >= currentPage ? i + 1 : i);
            doomed = shifted;
        }
        if (!opened)
            doomed.remove(currentPage);
    }
    if (doomed.isEmpty() && recents.isEmpty())
        return false;

    saveCurrentPage();
    ++clock;
    Removal removal;
    removal.clock = clock;
    removal.recents = recents;
    QList<int> indexes(doomed.cbegin(), doomed.cend());
    std::sort(indexes.begin(), indexes.end());
    for (int i : std::as_const(indexes)) {
        removal.pages << Removal::RemovedPage{pages[i], i};
        // A page's entry goes to the Trash like an earlier capture's, so that undo finds it.
        if (const std::optional<QString> &id = pages[i].historyID) {
            forgotten.insert(*id);
            trashEntry(*id);
        }
    }
    for (const QString &id : std::as_const(recents)) {
        forgotten.insert(id);
        trashEntry(id);
    }
    removed << removal;
    while (removed.size() > removalsKept)
        removed.removeFirst();
    restored.reset();
    rail->clearPicks();

    const bool currentGone = doomed.contains(currentPage);
    int n = currentPage;
    for (auto it = indexes.crbegin(); it != indexes.crend(); ++it) {
        pages.removeAt(*it);
        if (*it < currentPage)
            --n;
    }
    if (currentGone) {
        // The working state belongs to a page that left; it must not be saved over another.
        currentPage = -1;
        showPage(std::min(n, int(pages.size()) - 1), std::nullopt, false);
    } else {
        currentPage = n;
        refreshRail(false);
        updateToolbar();
    }
    return true;
}

void CanvasController::restoreRemovedEntries(const Removal &removal)
{
    QStringList pageIDs;
    for (const Removal::RemovedPage &r : removal.pages) {
        if (r.page.historyID)
            pageIDs << *r.page.historyID;
    }
    // The restored pages are written again by the next autosave, whatever became of their
    // entries meanwhile.
    for (const QString &id : std::as_const(pageIDs))
        forgotten.remove(id);
    if (session && !pageIDs.isEmpty())
        session->forgetWritten(pageIDs);
    QPointer<CanvasController> self(this);
    for (const QString &id : pageIDs + removal.recents) {
        const QString folder = entryFolder(id);
        const bool recent = removal.recents.contains(id);
        Recents::queue().async([self, id, folder, recent] {
            Recents::restore(id, folder, [self, id, recent] {
                if (self && recent)
                    self->unforgetRecent(id);
            });
        });
    }
}

void CanvasController::redoRemoval()
{
    if (!restored)
        return;
    QList<PageRail::Row> rows;
    for (int i = 0; i < pages.size(); ++i) {
        const Markup &m = i == currentPage ? markup : pages[i].markup;
        if (!m.shots.isEmpty() && restored->pages.contains(m.shots.first().id))
            rows << PageRail::Row::ofPage(i);
    }
    for (const QString &id : std::as_const(restored->recents))
        rows << PageRail::Row::ofRecent(id);
    removePages(rows);
}
