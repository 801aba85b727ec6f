#include "RailColumns.h"

#include "Autopilot.h"
#include "ClickThrough.h"
#include "Detail.h"
#include "Lookups.h"
#include "PageSteps.h"
#include "RailMeasures.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "capture/OverlayView.h"
#include "rail/PageRail.h"
#include "rail/RailThumb.h"

#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

namespace Autopilot {
namespace {
using namespace Detail;
using namespace RailMeasures;

double firstWidth(const CanvasController *c)
{
    const QList<QRectF> frames = c->rail->thumbFrames();
    return frames.isEmpty() ? 0 : frames.first().width();
}

void pinchSteps(CanvasController *c, int count, double factor, QPointF at, const std::function<void()> &after = {})
{
    for (int k = 0; k < count; ++k) {
        c->rail->pinch(false, factor, at);
        if (after)
            after();
    }
    c->rail->pinch(true, 1.0, at);
}

// A thumbnail's card as it is seen, in host coordinates.
QRectF cardInHost(const RailThumb *thumb, const QWidget *host)
{
    const QRectF card = thumb->cardFrame().translated(thumb->shownOffset());
    const QPointF topLeft = host->mapFromGlobal(thumb->parentWidget()->mapToGlobal(card.topLeft()));
    return QRectF(topLeft, card.size());
}

int scrolledBy(const CanvasController *c) { return c->rail->scrollArea()->verticalScrollBar()->value(); }

// Steps 28–32: pinching out, under the fingers, past one column, and in to the smallest.
void pinches(Stage &s)
{
    CanvasController *c = s.c;
    QWidget *host = s.host;
    PageSteps::show(c, 0);
    c->rail->scrollTo(0);
    const QList<RailThumb *> order = c->rail->order();
    if (order.size() < 9) {
        check(QStringLiteral("a pinch out grows the thumbnails smoothly, a few points at a time"), false,
              [&] { return text(int(order.size())) + QStringLiteral(" thumbnails"); });
        return;
    }
    const QPointF third = c->rail->centerOfThumb(order.at(2));
    QList<double> widths;
    pinchSteps(c, 40, 1.025, third, [&] { widths.append(firstWidth(c)); });
    QList<double> growths;
    bool smooth = !widths.isEmpty() && widths.last() >= 340;
    for (int i = 1; i < widths.size(); ++i) {
        const double g = widths.at(i) / widths.at(i - 1) - 1;
        growths.append(g);
        smooth = smooth && g >= 0 && g <= 0.035;
    }
    check(QStringLiteral("a pinch out grows the thumbnails smoothly, a few in a hundred at a time"), smooth, [&] {
        QList<int> permille;
        for (const double g : growths)
            permille.append(int(g * 1000));
        return text(widths.value(0)) + QStringLiteral(" \u2026 ") + text(widths.value(widths.size() - 1))
               + QStringLiteral(", steps ") + text(permille);
    });

    c->rail->scrollTo(500);
    const QRectF rail = railFrame(c, host);
    const QPointF p(rail.center().x(), s.y);
    const QPointF pInRail = c->rail->parentWidget()->mapFromGlobal(host->mapToGlobal(p));
    QList<QWidget *> views;
    for (RailThumb *thumb : c->rail->order())
        views.append(thumb);
    auto *t = qobject_cast<RailThumb *>(rowAt(views, p.y(), host));
    bool stayed = t != nullptr;
    double drift = 0;
    pinchSteps(c, 12, 0.98, pInRail, [&] {
        if (!t)
            return;
        const QRectF card = cardInHost(t, host);
        stayed = stayed && card.top() - 1 <= p.y() && p.y() <= card.bottom() + 1;
        drift = std::max(drift, std::abs(card.center().y() - p.y()));
    });
    check(QStringLiteral("and the thumbnail under the fingers stays under them"), stayed && scrolledBy(c) > 0, [&] {
        return QStringLiteral(" drift ") + text(drift) + QStringLiteral(" scrolled ") + text(scrolledBy(c));
    });

    pinchSteps(c, 12, 1 / 0.98, pInRail);
    check(QStringLiteral("past one column of them the rail widens with them, and the size is remembered"),
          c->rail->shape.columns == 1 && c->rail->width() == firstWidth(c) + 52 && c->rail->width() > 334
              && Prefs::railThumb() == c->railThumb && c->railAsked == 334,
          [&] {
              return text(railFrame(c, host)) + QLatin1Char(' ') + text(c->rail->shape.columns) + QLatin1Char(' ')
                     + text(Prefs::railThumb());
          });
    PageSteps::writeSettledPicture(c, host, QStringLiteral("8e-rail-pinched"));

    pinchSteps(c, 60, 0.97, third);
    check(QStringLiteral("a pinch in shrinks them to the smallest, more columns fitting, and the rail is back to the "
                         "width it was dragged to"),
          c->railThumb == 96 && c->rail->width() == 334 && c->rail->shape.columns == 2 && firstWidth(c) == 96, [&] {
              return text(c->railThumb) + QLatin1Char(' ') + text(railFrame(c, host)) + QLatin1Char(' ')
                     + text(c->rail->shape.columns);
          });
    c->scaleRailThumbnails(132 / c->railThumb, true);
}
} // namespace

void railPinchSteps(Stage &s)
{
    CanvasController *c = s.c;
    QWidget *host = s.host;
    pinches(s);

    clickThrough(host, QPointF(331, s.y), QPointF(181, s.y), false);
    check(QStringLiteral("dragging the edge back gives one column again"),
          c->rail->shape.columns == 1 && c->rail->width() == 184 && Prefs::railWidth() == 184
              && scrollFrame(c, host).x() == 184 && clearOfRail(c, host) && c->railRowIDs() == s.rows1,
          [&] {
              return text(c->rail->shape.columns) + QLatin1Char(' ') + text(railFrame(c, host)) + QLatin1Char(' ')
                     + text(scrollFrame(c, host)) + QLatin1Char(' ') + text(PageSteps::shotInHost(c));
          });
    c->resetRailSize();
}

} // namespace Autopilot
