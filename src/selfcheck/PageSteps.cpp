#include "PageSteps.h"

#include "Autopilot.h"
#include "Lookups.h"
#include "ScriptedInput.h"

#include "canvas/CanvasController.h"
#include "rail/PageRail.h"
#include "rail/RailThumb.h"

#include <QKeyEvent>

#include <algorithm>

namespace Autopilot::PageSteps {

void show(CanvasController *controller, int index)
{
    if (controller->currentPage == index)
        return;
    controller->saveCurrentPage();
    controller->showPage(index);
}

bool key(CanvasController *controller, int code, const QString &characters, quint64 flags)
{
    const auto event = keyEvent(code, characters, flags);
    return controller->keyDown(event.get());
}

double aspect(const std::optional<QImage> &picture)
{
    if (!picture || picture->isNull())
        return 0;
    return double(picture->width()) / (picture->height() < 2 ? 1.0 : double(picture->height()));
}

QList<RailThumb *> pageThumbs(const CanvasController *controller)
{
    QList<RailThumb *> thumbs;
    if (!controller->rail)
        return thumbs;
    for (RailThumb *thumb : controller->rail->order())
        if (thumb && thumb->row.isPage())
            thumbs.append(thumb);
    std::stable_sort(thumbs.begin(), thumbs.end(),
                     [](const RailThumb *a, const RailThumb *b) { return a->row.page < b->row.page; });
    return thumbs;
}

QList<int> ringed(const CanvasController *controller)
{
    QList<int> indexes;
    if (!controller->rail)
        return indexes;
    const QList<RailThumb *> order = controller->rail->order();
    for (int i = 0; i < order.size(); ++i)
        if (order.at(i) && order.at(i)->isSelected)
            indexes.append(i);
    return indexes;
}

int marked(const CanvasController *controller)
{
    if (!controller->rail)
        return 0;
    const QList<RailThumb *> order = controller->rail->order();
    return int(std::count_if(order.begin(), order.end(), [](const RailThumb *thumb) {
        return thumb && (thumb->isSelected || thumb->look.isCurrent);
    }));
}

QList<QDateTime> pageDates(const CanvasController *controller)
{
    QList<QDateTime> dates;
    for (const CanvasController::Page &page : controller->pages)
        dates.append(page.created);
    return dates;
}

bool newestFirst(const QList<QDateTime> &dates)
{
    QList<QDateTime> sorted = dates;
    sortDates(sorted);
    return sorted == dates;
}

bool hasWindow(const QWidget *host)
{
    return host && host->window() && host->window() != host;
}

QRectF frameIn(const QWidget *widget, const QWidget *host)
{
    if (!widget || !host)
        return {};
    const QPointF topLeft = host->mapFromGlobal(widget->mapToGlobal(QPointF(0, 0)));
    return QRectF(topLeft, QSizeF(widget->size()));
}

void writeSettledPicture(const CanvasController *controller, QWidget *host, const QString &name)
{
    struct Shown
    {
        RailThumb *thumb;
        QPointF offset;
        double opacity;
    };
    QList<Shown> moving;
    if (controller->rail)
        for (RailThumb *thumb : controller->rail->findChildren<RailThumb *>())
            if (thumb && (thumb->shownOffset() != QPointF() || thumb->opacity() != (thumb->leaving() ? 0 : 1))) {
                moving.append({thumb, thumb->shownOffset(), thumb->opacity()});
                thumb->setShownOffset(QPointF());
                thumb->setOpacity(thumb->leaving() ? 0 : 1);
            }
    writePicture(host, name);
    for (const Shown &shown : moving) {
        shown.thumb->setShownOffset(shown.offset);
        shown.thumb->setOpacity(shown.opacity);
    }
}

QRectF shotInHost(const CanvasController *controller)
{
    if (controller->markup.shots.isEmpty())
        return {};
    return controller->toHost(controller->markup.shots.first().rect);
}

} // namespace Autopilot::PageSteps
