#include "RailColumns.h"

#include "Autopilot.h"
#include "ClickThrough.h"
#include "Detail.h"
#include "Lookups.h"
#include "PageSteps.h"
#include "RailMeasures.h"
#include "ScriptedInput.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "capture/OverlayView.h"
#include "platform/ReduceMotion.h"
#include "rail/PageRail.h"
#include "rail/RailEdge.h"

#include <QSet>

namespace Autopilot {
namespace {
using namespace Detail;
using namespace RailMeasures;

QString hitAt(QWidget *host, double x, double y)
{
    return text(x) + QStringLiteral(": ") + describe(widgetAt(host, QPointF(x, y)));
}

// Steps 8–11: the edge dragged from 181 to 521, five points at a time.
void dragToThreeColumns(Stage &s)
{
    CanvasController *c = s.c;
    QWidget *host = s.host;
    QList<double> widths;
    QList<int> columns;
    QList<int> glides;
    sendMouse(c->railEdge, host, QEvent::MouseButtonPress, QPointF(181, s.y));
    for (int x = 186; x <= 521; x += 5) {
        const int before = c->rail->shape.columns;
        sendMouse(c->railEdge, host, QEvent::MouseMove, QPointF(x, s.y));
        widths.append(c->rail->width());
        columns.append(c->rail->shape.columns);
        if (c->rail->shape.columns != before)
            glides.append(c->rail->glidingCount());
        if (x == 246) {
            const double firstX = c->rail->thumbFrames().isEmpty() ? -1 : c->rail->thumbFrames().first().x();
            check(QStringLiteral("halfway to two columns the rail is as wide as dragged, its one column centred"),
                  c->rail->width() == 249 && grid(c, 1, 132) && firstX == 48 && scrollFrame(c, host).x() == 249
                      && clearOfRail(c, host),
                  [&] { return text(c->rail->thumbFrames()) + QLatin1Char(' ') + text(scrollFrame(c, host)); });
            PageSteps::writeSettledPicture(c, host, QStringLiteral("8c-rail-between-columns"));
        }
    }
    sendMouse(c->railEdge, host, QEvent::MouseButtonRelease, QPointF(521, s.y));

    QList<double> off;
    bool steady = widths.size() >= 51;
    for (int i = 1; i < widths.size(); ++i)
        if (widths.at(i) - widths.at(i - 1) != 5)
            off.append(widths.at(i) - widths.at(i - 1));
    steady = steady && off.isEmpty() && QSet<double>(widths.begin(), widths.end()).size() == widths.size();
    check(QStringLiteral("the edge follows the pointer point by point, never jumping to a whole column"), steady, [&] {
        return text(widths.mid(0, 8)) + QStringLiteral(" \u2026 ") + text(off);
    });

    QList<int> distinct;
    for (const int n : columns)
        if (!distinct.contains(n))
            distinct.append(n);
    const auto columnsAt = [&](double width) {
        const qsizetype i = widths.indexOf(width);
        return i < 0 ? -1 : columns.at(i);
    };
    check(QStringLiteral("columns come one at a time as they fit: one, two, three"),
          distinct == QList<int>{1, 2, 3} && columnsAt(334) == 2 && columnsAt(329) == 1,
          [&] { return text(distinct); });
    const bool glided = glides.size() == 2 && glides.at(0) > 3 && glides.at(1) > 3;
    check(QStringLiteral("and the thumbnails glide to their new places when they do"),
          ReduceMotion::isOn() || glided, [&] { return text(glides); });
}

// Step 19: two new canvases laid out beside rails of 184 and 517 points.
void newCanvasLayout()
{
    const QRectF screen(0, 0, 1728, 1117);
    const QRectF shot(60, 300, 600, 400);
    const OverlayView::CanvasFrames first = OverlayView::canvasLayout(shot, screen, screen, 28, 184, 132);
    const OverlayView::CanvasFrames second = OverlayView::canvasLayout(shot, screen, screen, 28, 517, 132);
    check(QStringLiteral("a new canvas places its shot clear of the wider rail, at full size"),
          second.shot.x() >= 541 && second.shot.width() == 600 && second.shot.right() <= second.content.width()
              && first.shot.x() >= 184 && second.shot.x() > first.shot.x(),
          [&] {
              return text(first.content) + QLatin1Char(' ') + text(first.shot) + QLatin1Char(' ') + text(second.content)
                     + QLatin1Char(' ') + text(second.shot);
          });
}
} // namespace

void railEdgeSteps(Stage &s)
{
    CanvasController *c = s.c;
    OverlayView *host = s.host;
    c->resetRailSize();
    const double r = room(host);
    check(QStringLiteral("the window has room for a rail of three columns and some"), r >= 524 && r >= 148,
          [host] { return text(host->width()); });
    if (!c->pages.isEmpty() && c->currentPage != 0)
        PageSteps::show(c, 0);
    PageSteps::writeSettledPicture(c, host, QStringLiteral("8b-rail-one-column"));
    s.rows0 = c->railRowIDs();
    s.pictures0 = pictureKeys(c);

    const QRectF edge = edgeFrame(c, host);
    check(QStringLiteral("the rail starts one column wide, with an edge to drag"),
          c->rail->shape.columns == 1 && c->rail->width() == 184 && !c->railEdge->isHidden() && edge.left() < 174
              && edge.right() > 184 && edge.width() >= 20 && edge.height() == host->height(),
          [&] {
              return text(c->rail->shape.columns) + QLatin1Char(' ') + text(railFrame(c, host)) + QLatin1Char(' ')
                     + text(edge);
          });
    QWidget *at154 = widgetAt(host, QPointF(154, s.y));
    QWidget *at204 = widgetAt(host, QPointF(204, s.y));
    const bool document = at204 == c->scrollView || at204 == c->scrollView->viewport();
    check(QStringLiteral("the edge takes the press from the gap and from a few points either side of it"),
          allHit({172, 179, 184, 190}, s.y, host, c->railEdge) && at154 != c->railEdge && document, [&] {
              QStringList hits;
              for (const double x : {172.0, 179.0, 184.0, 190.0, 154.0, 204.0})
                  hits.append(hitAt(host, x, s.y));
              return hits.join(QStringLiteral(", "));
          });
    const std::optional<CursorKind> at181 = c->cursorKindOver(widgetAt(host, QPointF(181, s.y)));
    const std::optional<CursorKind> over204 = c->cursorKindOver(at204);
    check(QStringLiteral("and the pointer shows the column arrows there, both ways while it can go either way"),
          at181 == CursorKind::columnResize && over204 != CursorKind::columnResize,
          [&] { return cursorName(at181) + QStringLiteral(", ") + cursorName(over204); });

    dragToThreeColumns(s);
    check(QStringLiteral("the width is remembered"), Prefs::railWidth() == 524 && c->railAsked == 524,
          [] { return text(Prefs::railWidth()); });
    check(QStringLiteral("the thumbnails are a grid of three, centred, in the same order"),
          grid(c, 3, 132) && c->railRowIDs() == s.rows0 && c->rail->count() == c->pages.size(),
          [c] { return text(c->rail->thumbFrames()); });
    const QRectF scroll = scrollFrame(c, host);
    const bool sidebar = host->width() - CanvasController::sidebarWidth - CanvasController::oneColumnRail
                         >= CanvasController::canvasRoom;
    const double end = host->width() - (sidebar ? CanvasController::sidebarWidth : 0);
    check(QStringLiteral("the canvas gives up the room, and the shot is still in view"),
          scroll.x() == 524 && scroll.right() == end && clearOfRail(c, host),
          [&] { return text(scroll) + QLatin1Char(' ') + text(PageSteps::shotInHost(c)); });
    check(QStringLiteral("no page's picture is made again for that"), pictureKeys(c) == s.pictures0);
    PageSteps::writeSettledPicture(c, host, QStringLiteral("8d-rail-three-columns"));

    clickThrough(host, QPointF(514, s.y), QPointF(host->width(), s.y), false);
    const double wanted = std::max(room(host), 148.0);
    check(QStringLiteral("the edge stops where the canvas keeps its room, and the arrows then point left only"),
          c->rail->width() == wanted && c->scrollView->width() == 520 && edgeCursor(c) == CursorKind::columnResizeLeft,
          [&] { return text(railFrame(c, host)) + QLatin1Char(' ') + text(scrollFrame(c, host)); });

    clickThrough(host, QPointF(c->rail->width() - 3, s.y), QPointF(20, s.y), false);
    check(QStringLiteral("dragged far left it is one column of thumbnails made narrower to fit, the arrows pointing "
                         "right only"),
          c->rail->width() == 148 && c->rail->shape.columns == 1 && c->railThumb == 96
              && allWidth(c->rail->thumbFrames()) && edgeCursor(c) == CursorKind::columnResizeRight
              && clearOfRail(c, host),
          [&] { return text(railFrame(c, host)) + QLatin1Char(' ') + text(c->railThumb); });

    c->resetRailSize();
    c->setRailWidth(484, true);
    check(QStringLiteral("dragged to three columns' width it is three columns with nothing to spare"),
          c->rail->shape.columns == 3 && c->rail->width() == 484 && grid(c, 3, 132) && clearOfRail(c, host),
          [&] { return text(c->rail->shape.columns) + QLatin1Char(' ') + text(railFrame(c, host)); });
    newCanvasLayout();
}

void railColumns(CanvasController *c, QWidget *host, const QString &folder)
{
    auto *overlay = qobject_cast<OverlayView *>(host);
    if (!overlay || !PageSteps::hasWindow(host)) {
        check(QStringLiteral("the rail can be made wider"), false, [] { return QStringLiteral("no window"); });
        return;
    }
    Stage stage{c, overlay, folder, QRectF(host->rect()).center().y()};
    railEdgeSteps(stage);
    railGridSteps(stage);
    railPinchSteps(stage);
}

} // namespace Autopilot
