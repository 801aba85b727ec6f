#include "RailWalk.h"

#include "Autopilot.h"
#include "Detail.h"
#include "Lookups.h"
#include "PageSteps.h"

#include "canvas/CanvasController.h"
#include "history/Recents.h"
#include "platform/KeyTable.h"

namespace Autopilot {
namespace {
using namespace Detail;

int pageWithHistory(const CanvasController *c, const QString &id)
{
    for (int i = 0; i < c->pages.size(); ++i)
        if (c->pages.at(i).historyID == id)
            return i;
    return -1;
}
} // namespace

void railWalk(CanvasController *c, QWidget *host)
{
    using PageSteps::key;
    if (!PageSteps::hasWindow(host) || c->pages.isEmpty()) {
        check(QStringLiteral("the rail can be walked"), false);
        return;
    }
    c->saveCurrentPage();
    const CanvasController::Page last = c->pages.last();
    const QDateTime base = QDateTime::currentDateTime().addSecs(-259200);
    QStringList walk;
    for (const int back : {100, 200, 300})
        if (const std::optional<QString> id =
                Recents::save(last.markup, last.images, last.picture.value_or(QImage()), std::nullopt,
                              QStringLiteral("walk"), std::nullopt, base.addSecs(-back), true))
            walk.append(*id);
    c->refreshRail(false);

    const QStringList shown = c->recentShownIDs();
    const QStringList lastShown = shown.mid(std::max<qsizetype>(0, shown.size() - 3));
    check(QStringLiteral("earlier captures are listed by when they were taken, the newest first"),
          walk.size() == 3 && lastShown == walk, [&] { return versus(lastShown, walk); });

    c->selectPage(int(c->pages.size()) - 1);
    const int l = int(c->pages.size());
    const QStringList rows = c->railRowIDs();
    const int i = int(rows.indexOf(c->pageID(c->currentPage)));
    if (i < 0 || rows.size() < i + 3) {
        check(QStringLiteral("the down arrow goes on into the earlier captures"), false,
              [&] { return text(int(rows.size())) + QStringLiteral(" rows"); });
        return;
    }
    const auto pagesAndCurrent = [c] { return text(int(c->pages.size())) + QLatin1Char(' ') + text(c->currentPage); };

    key(c, KeyCode::Down);
    check(QStringLiteral("past the last shot, the down arrow opens the next earlier capture"),
          c->pages.size() == l + 1 && c->currentPage == l && c->pageID(c->currentPage) == rows.at(i + 1)
              && c->railFocused,
          pagesAndCurrent);
    check(QStringLiteral("and it stays where it was in the rail"), c->railRowIDs() == rows);
    key(c, KeyCode::Down);
    check(QStringLiteral("and the one after that"),
          c->pages.size() == l + 2 && c->currentPage == l + 1 && c->pageID(c->currentPage) == rows.at(i + 2)
              && c->railRowIDs() == rows,
          pagesAndCurrent);
    key(c, KeyCode::Up);
    key(c, KeyCode::Up);
    check(QStringLiteral("the up arrow goes back up through them"),
          c->pages.size() == l + 2 && c->currentPage == l - 1 && c->railRowIDs() == rows,
          [c] { return text(c->currentPage); });

    if (!walk.isEmpty() && pageWithHistory(c, walk.first()) < 0) {
        c->openRecent(walk.last());
        c->openRecent(walk.first());
        const int a = pageWithHistory(c, walk.first());
        const int b = pageWithHistory(c, walk.last());
        check(QStringLiteral("a capture opened out of turn takes its place by when it was taken"), a >= 0 && a < b,
              [&] { return text(a) + QLatin1Char(' ') + text(b); });
    }
    const QList<QDateTime> dates = PageSteps::pageDates(c);
    check(QStringLiteral("so this window's shots stay newest first"), PageSteps::newestFirst(dates),
          [&] { return text(dates); });
}

} // namespace Autopilot
