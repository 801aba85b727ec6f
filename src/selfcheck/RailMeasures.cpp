#include "RailMeasures.h"

#include "PageSteps.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "rail/PageRail.h"
#include "rail/RailEdge.h"

#include <cmath>

namespace Autopilot::RailMeasures {

bool grid(const CanvasController *c, int n, double w)
{
    const QList<QRectF> frames = c->rail->thumbFrames();
    const qsizetype rows = c->railRowIDs().size();
    if (frames.size() != rows || n >= rows || c->rail->shape.columns != n)
        return false;
    const double width = c->rail->shape.width;
    const double left = std::floor((width - 52 - n * w - (n - 1) * 18) / 2) + 16;
    for (int i = 0; i < frames.size(); ++i) {
        const QRectF &f = frames.at(i);
        if (std::abs(f.width() - w) > 1e-6 || std::abs(f.left() - (left + (w + 18) * (i % n))) > 0.5
            || f.right() > width - 35)
            return false;
        if (i % n != 0 && std::abs(f.center().y() - frames.at(i - 1).center().y()) > 0.5)
            return false;
        const int row = i / n;
        if (row > 0) {
            double above = 0;
            for (int j = (row - 1) * n; j < row * n; ++j)
                above = std::max(above, frames.at(j).bottom());
            if (f.top() < above)
                return false;
        }
    }
    return true;
}

bool clearOfRail(const CanvasController *c, const QWidget *host)
{
    if (c->markup.shots.isEmpty())
        return false;
    const QRectF shot = c->markup.shots.first().rect;
    if (!c->scrollView->visibleRect().contains(shot))
        return false;
    const QRectF inHost = PageSteps::shotInHost(c);
    return inHost.left() >= railFrame(c, host).right() - 0.5 && inHost.right() <= scrollFrame(c, host).right();
}

std::optional<CursorKind> edgeCursor(const CanvasController *c)
{
    return c->cursorKindOver(c->railEdge);
}

int railIndex(const CanvasController *c)
{
    return int(c->railRowIDs().indexOf(c->pageID(c->currentPage)));
}

QRectF railFrame(const CanvasController *c, const QWidget *host) { return PageSteps::frameIn(c->rail, host); }
QRectF edgeFrame(const CanvasController *c, const QWidget *host) { return PageSteps::frameIn(c->railEdge, host); }
QRectF scrollFrame(const CanvasController *c, const QWidget *host) { return PageSteps::frameIn(c->scrollView, host); }

double room(const QWidget *host)
{
    const double w = host->width();
    const double sidebar = w - CanvasController::sidebarWidth - CanvasController::oneColumnRail >= CanvasController::canvasRoom
                               ? CanvasController::sidebarWidth
                               : 0;
    return w - sidebar - CanvasController::canvasRoom;
}

QList<qint64> pictureKeys(const CanvasController *c)
{
    QList<qint64> keys;
    for (const CanvasController::Page &page : c->pages)
        keys.append(page.picture && !page.picture->isNull() ? page.picture->cacheKey() : 0);
    return keys;
}

QString cursorName(std::optional<CursorKind> kind)
{
    if (!kind)
        return QStringLiteral("none");
    switch (*kind) {
    case CursorKind::columnResize: return QStringLiteral("column resize both ways");
    case CursorKind::columnResizeLeft: return QStringLiteral("column resize left");
    case CursorKind::columnResizeRight: return QStringLiteral("column resize right");
    case CursorKind::crosshair: return QStringLiteral("crosshair");
    case CursorKind::arrow: return QStringLiteral("arrow");
    case CursorKind::openHand: return QStringLiteral("open hand");
    case CursorKind::closedHand: return QStringLiteral("closed hand");
    case CursorKind::pointingHand: return QStringLiteral("pointing hand");
    case CursorKind::iBeam: return QStringLiteral("I-beam");
    default: return QStringLiteral("resize");
    }
}

} // namespace Autopilot::RailMeasures
