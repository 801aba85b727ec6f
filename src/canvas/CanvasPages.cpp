// The canvas's chrome, the reveal, and what the capture session and the overlay ask of its pages.
#include "canvas/CanvasController.h"

#include "canvas/CanvasChrome.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/CommandSidebar.h"
#include "canvas/DisplayImages.h"
#include "canvas/DocumentView.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPropertyAnimation>

#include <algorithm>

namespace {
constexpr int revealMs = 200;

void fadeIn(QWidget *w)
{
    if (!w || w->isHidden())
        return;
    auto *effect = new QGraphicsOpacityEffect(w);
    effect->setOpacity(0);
    w->setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", w);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setDuration(revealMs);
    // Once faded in, the effect goes so that the view paints straight again.
    QObject::connect(fade, &QPropertyAnimation::finished, w, [w] { w->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}
} // namespace

void CanvasController::markPictureStale()
{
    if (currentPage < 0 || currentPage >= pages.size())
        return;
    if (pictured && *pictured == markup)
        return;
    pictureStale = true;
    if (thumbnailDue)
        return;
    const double base = dragIsNone() ? 0.1 : 0.2;
    const double since = scheduler()->now() - picturedAt;
    scheduleThumbnail(false, 0, std::max(base - since, 0.02));
}

// ---- chrome, hint, toolbar and hover ----

void CanvasController::updateChrome()
{
    if (!chrome || !host)
        return;
    const auto toHost = [this](const QRectF &r) {
        const QRectF inView(scrollView->viewPoint(r.topLeft()), scrollView->viewPoint(r.bottomRight()));
        return inView.translated(QPointF(scrollView->viewport()->mapTo(host, QPoint())) - m_shake);
    };
    QPainterPath border;
    for (const Shot &shot : std::as_const(markup.shots))
        border.addRect(toHost(shot.rect).adjusted(-0.5, -0.5, 0.5, 0.5));
    chrome->setCropBorder(border.isEmpty() ? std::nullopt : std::optional(border));
}

void CanvasController::updateHover()
{
    if (scrollView)
        scrollView->viewport()->setCursor(cursorFor(isPanning || spaceHeld ? CursorKind::openHand : cursor));
}

// ---- the overlay's calls ----

void CanvasController::reveal()
{
    updateHint();
    fadeIn(toolbar);
    fadeIn(hint);
    fadeIn(commands);
    focusDocument();
    updateHover();
}

void CanvasController::setEditingPlaceholder(const QString &text)
{
    if (editing)
        editing->setPlaceholder(text);
}

void CanvasController::addPictures(const QList<Importer::Picture> &, bool) {}

void CanvasController::visibleAreaChanged(const QRectF &, const QRectF &) {}

// ---- the session's calls ----

void CanvasController::focusDocument()
{
    if (scrollView)
        scrollView->setFocus(Qt::OtherFocusReason);
}

void CanvasController::saveCurrentPage()
{
    if (currentPage < 0 || currentPage >= pages.size())
        return;
    endEditing();
    if (thumbnailWork)
        scheduler()->cancel(thumbnailWork);
    thumbnailWork = 0;
    thumbnailDue.reset();
    Page &page = pages[currentPage];
    page.markup = markup;
    page.images = images;
    page.history = history;
    page.stamps = stamps;
    page.view = PageView{scrollView->magnification(), scrollView->origin()};
    page.viewArea = visibleArea();
    if (pictureStale || !page.picture)
        makePagePicture();
}

bool CanvasController::markCurrentPageDone()
{
    if (currentPage >= 0 && currentPage < pages.size())
        pages[currentPage].done = true;
    if (pages.size() >= 2)
        refreshRail(true);
    return pages.size() >= 2;
}

void CanvasController::addShotPage(const QImage &, double, const QRectF &) {}
