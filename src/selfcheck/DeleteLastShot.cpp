#include "DeleteLastShot.h"

#include "Autopilot.h"
#include "Detail.h"
#include "ScriptedInput.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "platform/KeyTable.h"
#include "rail/PageRail.h"

#include <QKeyEvent>

namespace Autopilot {
namespace {
const QString sentence = QStringLiteral("a window's last shot can be deleted");

std::optional<QUuid> firstShot(const Markup &markup)
{
    return markup.shots.isEmpty() ? std::nullopt : std::optional<QUuid>(markup.shots.first().id);
}

// The first shot of a page: the live document for the page shown.
std::optional<QUuid> firstShotOfPage(const CanvasController *c, int index)
{
    if (index < 0 || index >= c->pages.size())
        return std::nullopt;
    return firstShot(index == c->currentPage ? c->markup : c->pages.at(index).markup);
}

void pressDelete(CanvasController *c)
{
    c->keyDown(keyEvent(KeyCode::Delete, QStringLiteral("\x7f")).get());
}
} // namespace

void deleteLastShot(CanvasController *c)
{
    if (!c || !c->scrollView || !c->scrollView->window() || c->pages.size() != 2) {
        check(sentence, false);
        return;
    }
    c->selectPage(0);
    pressDelete(c);
    const std::optional<QUuid> kept = firstShotOfPage(c, 0);
    const QStringList earlier = c->recentShownIDs();
    if (c->pages.size() != 1 || earlier.isEmpty()) {
        check(sentence, false, [&] {
            return QStringLiteral("%1 pages, %2 earlier").arg(c->pages.size()).arg(earlier.size());
        });
        return;
    }
    const QString next = earlier.first();
    pressDelete(c);
    const std::optional<QString> opened = c->pages.isEmpty() ? std::nullopt : c->pages.first().historyID;
    check(QStringLiteral("Delete takes the window's last shot off and opens the earlier capture next to it"),
          c->pages.size() == 1 && opened == next && c->currentPage == 0 && c->railFocused && c->rail
              && !c->rail->isHidden() && !c->recentShownIDs().contains(next),
          [&] {
              return QStringLiteral("%1 pages, ").arg(c->pages.size()) + Detail::text(opened) + QStringLiteral(" vs ")
                     + next;
          });

    c->keyDown(keyEvent(KeyCode::Z, QStringLiteral("z"), EventFlag::Command).get());
    check(QStringLiteral("Command-Z brings that last shot back"),
          c->pages.size() == 2 && firstShot(c->markup) == kept,
          [&] { return QStringLiteral("%1 pages").arg(c->pages.size()); });
}

} // namespace Autopilot
