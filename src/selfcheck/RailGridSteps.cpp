#include "RailColumns.h"

#include "Autopilot.h"
#include "ClickThrough.h"
#include "Detail.h"
#include "PageSteps.h"
#include "RailMeasures.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "capture/OverlayView.h"
#include "platform/KeyTable.h"
#include "rail/PageRail.h"
#include "rail/RailEdge.h"
#include "rail/RailThumb.h"

#include <QAction>
#include <QMenu>

#include <memory>

namespace Autopilot {
namespace {
using namespace Detail;
using namespace RailMeasures;
using PageSteps::key;

QString indexDetail(const CanvasController *c)
{
    return text(railIndex(c)) + QLatin1Char(' ') + text(c->currentPage) + QLatin1Char(' ') + c->pageID(c->currentPage);
}

QStringList titles(const QMenu &menu)
{
    QStringList out;
    for (const QAction *action : menu.actions())
        out.append(action->isSeparator() ? QString() : action->text());
    return out;
}

// Step 20: the arrow keys walk a grid by number.
void arrowsInGrid(Stage &s)
{
    CanvasController *c = s.c;
    c->selectPage(0);
    const int i = railIndex(c);
    const QString right = QStringLiteral("in a grid the right arrow goes to the thumbnail after");
    if (s.rows0.size() < i + 5) {
        check(right, false, [&] { return text(int(s.rows0.size())) + QStringLiteral(" thumbnails from ") + text(i); });
        return;
    }
    const auto detail = [c] { return indexDetail(c); };
    key(c, KeyCode::Right);
    check(right, railIndex(c) == i + 1 && c->railFocused, detail);
    key(c, KeyCode::Down);
    check(QStringLiteral("the down arrow goes to the next number, not down the column"),
          railIndex(c) == i + 2 && c->railFocused, detail);
    key(c, KeyCode::Up);
    check(QStringLiteral("the up arrow goes back to the one before"), railIndex(c) == i + 1, detail);
    key(c, KeyCode::Left);
    check(QStringLiteral("and the left arrow to the thumbnail before"), railIndex(c) == i && c->railRowIDs() == s.rows0,
          detail);
}

// Step 21: a selected mark is nudged by an arrow; Ctrl+arrows still walk the rail.
void nudgeAndCommandArrows(Stage &s)
{
    CanvasController *c = s.c;
    PageSteps::show(c, 0);
    const int i = railIndex(c);
    const QString nudge = QStringLiteral("with a mark selected, the right arrow nudges it and stays on the shot");
    if (c->markup.items.isEmpty()) {
        check(nudge, false, [] { return QStringLiteral("no mark on the first shot"); });
        return;
    }
    const QUuid mark = c->markup.items.first().id;
    const auto select = [c, mark] {
        c->selection = {mark};
        c->refresh(false);
    };
    select();
    const Markup before = c->markup;
    key(c, KeyCode::Right);
    const bool changed = c->markup != before;
    check(nudge, c->currentPage == 0 && changed);
    if (changed)
        c->undo();
    select();
    const auto detail = [c] { return indexDetail(c); };
    key(c, KeyCode::Right, {}, EventFlag::Command);
    check(QStringLiteral("Command-Right goes to the next thumbnail whatever is selected"),
          railIndex(c) == i + 1 && c->railFocused, detail);
    key(c, KeyCode::Left, {}, EventFlag::Command);
    check(QStringLiteral("and Command-Left back"), railIndex(c) == i, detail);
}

// Step 23: a click on a page's thumbnail in the third column.
void clickInThirdColumn(Stage &s)
{
    CanvasController *c = s.c;
    s.rows1 = c->railRowIDs();
    const QString sentence = QStringLiteral("a click on a thumbnail in the third column opens its page");
    const QList<RailThumb *> thumbs = PageSteps::pageThumbs(c);
    RailThumb *target = nullptr;
    for (auto it = thumbs.crbegin(); it != thumbs.crend(); ++it)
        if ((*it)->cardFrame().x() > 200 && (*it)->row.page != c->currentPage) {
            target = *it;
            break;
        }
    const std::optional<QPointF> centre = target ? c->rail->pageThumbCenter(target->row.page) : std::nullopt;
    if (!centre) {
        check(sentence, false, [] { return QStringLiteral("no shot of this window in the third column"); });
        return;
    }
    const int page = target->row.page;
    const QPointF inHost = s.host->mapFromGlobal(c->rail->parentWidget()->mapToGlobal(*centre));
    QWidget *clicked = clickThrough(s.host, inHost, inHost, true);
    check(sentence, qobject_cast<RailThumb *>(clicked) && c->currentPage == page && c->railFocused,
          [&] { return versus(c->currentPage, page); });
    check(QStringLiteral("and that page shows clear of the rail"), clearOfRail(c, s.host),
          [c] { return text(PageSteps::shotInHost(c)); });
}

// Step 24: the window made narrower and back.
void narrowWindows(Stage &s)
{
    CanvasController *c = s.c;
    QWidget *host = s.host;
    const int width = host->width();
    const int height = host->height();
    const auto resize = [&](int w) {
        host->window()->resize(w, host->window()->height());
        host->resize(w, height);
        c->layout();
    };
    const auto detail = [&] {
        return text(railFrame(c, host)) + QLatin1Char(' ') + text(c->rail->shape.columns) + QLatin1Char(' ')
               + text(c->railEdge->isHidden()) + QLatin1Char(' ') + text(QRectF(host->rect()));
    };
    resize(900);
    check(QStringLiteral("a narrow window shows the rail as wide as leaves the canvas its room"),
          c->rail->width() == 380 && c->rail->shape.columns == 2 && c->scrollView->width() == 520
              && Prefs::railWidth() == 484,
          detail);
    resize(640);
    check(QStringLiteral("the smallest window has one column of the smallest thumbnails and no edge to drag"),
          c->rail->shape.columns == 1 && c->rail->width() == 148 && c->railEdge->isHidden(), detail);
    resize(width);
    check(QStringLiteral("and the rail comes back when the window grows"),
          c->rail->width() == 484 && !c->railEdge->isHidden() && grid(c, 3, 132), detail);
}

// Steps 25–27: the rail's menu and a thumbnail's.
void menus(Stage &s)
{
    CanvasController *c = s.c;
    QMenu menu;
    c->rail->addColumnItems(&menu);
    QList<bool> states;
    for (const QAction *action : menu.actions())
        states.append(action->isChecked());
    check(QStringLiteral("the rail's menu offers one, two or three columns, the one showing ticked"),
          titles(menu) == QStringList{"One Column", "Two Columns", "Three Columns"}
              && states == QList<bool>{false, false, true},
          [&] { return text(titles(menu)); });

    const QList<RailThumb *> thumbs = PageSteps::pageThumbs(c);
    const std::unique_ptr<QMenu> thumbMenu(thumbs.isEmpty() ? nullptr : c->rail->menuFor(thumbs.first()));
    const QStringList thumbTitles = thumbMenu ? titles(*thumbMenu) : QStringList();
    check(QStringLiteral("a thumbnail's menu has them under Delete"),
          thumbTitles == QStringList{"Delete", "", "One Column", "Two Columns", "Three Columns"},
          [&] { return text(thumbTitles); });

    if (menu.actions().size() >= 2)
        menu.actions().at(1)->trigger();
    check(QStringLiteral("picking Two Columns makes the rail exactly that wide"),
          c->rail->width() == 334 && c->rail->shape.columns == 2 && Prefs::railWidth() == 334 && grid(c, 2, 132)
              && clearOfRail(c, s.host),
          [&] { return text(railFrame(c, s.host)); });
}
} // namespace

void railGridSteps(Stage &s)
{
    CanvasController *c = s.c;
    arrowsInGrid(s);
    nudgeAndCommandArrows(s);

    const int n = int(c->pages.size());
    c->selectPage(1);
    key(c, KeyCode::Delete, QString(QChar(0x7F)));
    const int m = int(c->pages.size());
    key(c, KeyCode::Z, QStringLiteral("z"), EventFlag::Command);
    check(QStringLiteral("Delete on a picked thumbnail and Command-Z work in the grid"),
          m == n - 1 && c->pages.size() == n && c->currentPage == 1,
          [&] { return text(n) + QLatin1Char(' ') + text(m) + QLatin1Char(' ') + text(int(c->pages.size())); });

    clickInThirdColumn(s);
    narrowWindows(s);
    menus(s);
}

} // namespace Autopilot
