#include "SidebarChecks.h"

#include "Autopilot.h"
#include "ClickThrough.h"
#include "Detail.h"
#include "PageSteps.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/CommandSidebar.h"
#include "canvas/Toolbar.h"
#include "rail/PageRail.h"

#include <QLabel>
#include <QStringList>

namespace Autopilot {
namespace {
const QString copyTitle = QStringLiteral("Copy to clipboard");
const QString copied = QStringLiteral("Copied to clipboard");
const QString copyHint = QStringLiteral("Return: copy");

// A widget's frame in the coordinates of view.
QRectF frameIn(const QWidget *widget, const QWidget *view)
{
    return QRectF(QRect(widget->mapTo(view, QPoint()), widget->size()));
}

bool insideOf(const QWidget *outer, const QWidget *widget)
{
    return widget && (widget == outer || outer->isAncestorOf(widget));
}

// Makes the window narrower than the canvas, a one-column rail and the sidebar need together,
// checks that the sidebar gave way and the hint line names the commands again, and gives the
// window its size back.
void narrowWindowCheck(CanvasController *controller, QWidget *view)
{
    QWidget *window = view->window();
    const QSize before = window->size();
    const int roomForAll =
        int(CanvasController::sidebarWidth + CanvasController::oneColumnRail + CanvasController::canvasRoom);
    // The view fills the window, less whatever frames it there.
    window->resize(roomForAll - 32 + (window->width() - view->width()), window->height());
    controller->layout();
    const int width = view->width();
    const bool shown = controller->sidebarShown();
    const bool hidden = controller->commands->isHidden();
    const QString hint = controller->hint->text();
    check(QStringLiteral("a narrow window has no room for them"),
          width < roomForAll && !shown && hidden && hint.contains(copyHint), [&] {
              return QStringLiteral("host %1 wide, sidebar %2, hint %3")
                  .arg(width)
                  .arg(hidden ? QStringLiteral("hidden") : QStringLiteral("shown"), Detail::quoted(hint));
          });
    window->resize(before);
    controller->layout();
}
} // namespace

void sidebarChecks(CanvasController *controller, QWidget *view)
{
    CommandSidebar *sidebar = controller->commands;
    CommandRow *copyRow = sidebar->copyRow();
    CommandRow *sendRow = sidebar->sendRow();
    const QRectF side = frameIn(sidebar, view);
    const QRectF bounds(view->rect());

    check(QStringLiteral("the commands are down the right, the full height of the window"),
          !sidebar->isHidden() && side.right() == bounds.width() && side.width() == CanvasController::sidebarWidth
              && side.top() == 0 && side.height() == bounds.height(),
          [&] { return Detail::text(side) + QLatin1Char(' ') + Detail::text(bounds); });

    const QRectF area = frameIn(controller->scrollView, view);
    const QRectF rail = controller->rail->isHidden() ? QRectF() : frameIn(controller->rail, view);
    const QRectF bar = frameIn(controller->toolbar, view);
    check(QStringLiteral("the canvas ends where they start"),
          side.left() >= area.right() && area.left() >= rail.right() && side.left() > bar.center().x(),
          [&] { return Detail::text(area) + QLatin1Char(' ') + Detail::text(side); });

    check(QStringLiteral("just two: Return copies, Command-Return pastes into the send menu's app"),
          copyRow->title == copyTitle && copyRow->keys == QStringList{QStringLiteral("Return")}
              && sendRow->keys == QStringList{QStringLiteral("Ctrl"), QStringLiteral("Return")}
              && (sendRow->title.startsWith(QStringLiteral("Paste into ")) || sendRow->title == copyTitle),
          [&] { return sendRow->title; });

    const QList<QRectF> rows{frameIn(copyRow, view), frameIn(sendRow, view)};
    const QRectF panel = side.adjusted(10, 10, -10, -10);
    const bool apart = rows.at(0).bottom() <= rows.at(1).top() || rows.at(1).bottom() <= rows.at(0).top();
    check(QStringLiteral("both whole, one above the other, inside the panel"),
          apart && panel.contains(rows.at(0)) && panel.contains(rows.at(1)),
          [&] { return Detail::text(rows) + QStringLiteral(" in ") + Detail::text(panel); });

    check(QStringLiteral("the key line leaves them to the sidebar"), !controller->hint->text().contains(copyHint),
          [&] { return controller->hint->text(); });

    QStringList clicks;
    const auto keptCopy = sidebar->onCopy;
    const auto keptSend = sidebar->onSend;
    sidebar->onCopy = [&clicks] { clicks.append(QStringLiteral("copy")); };
    sidebar->onSend = [&clicks] { clicks.append(QStringLiteral("send")); };
    clickThrough(view, rows.at(0).center(), rows.at(0).center(), true);
    clickThrough(view, rows.at(1).center(), rows.at(1).center(), true);
    const QPointF glass(side.center().x(), side.bottom() - 40);
    QWidget *hit = clickThrough(view, glass, glass, true);
    check(QStringLiteral("a click on each does it"), clicks == QStringList{QStringLiteral("copy"), QStringLiteral("send")},
          [&] { return Detail::text(clicks); });
    const bool onCanvas = insideOf(controller->scrollView, hit);
    check(QStringLiteral("and the glass under them keeps its clicks from the canvas"),
          hit && !onCanvas && insideOf(sidebar, hit), [&] { return describe(hit); });
    sidebar->onCopy = keptCopy;
    sidebar->onSend = keptSend;

    copyRow->flash(copied);
    check(QStringLiteral("after a copy the row says so"), copyRow->flashed.value_or(copyRow->title) == copied);
    PageSteps::writeSettledPicture(controller, view, QStringLiteral("7d-commands"));

    narrowWindowCheck(controller, view);
}

} // namespace Autopilot
