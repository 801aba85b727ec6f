#include "CommentChecks.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "ClickThrough.h"
#include "CommentControlChecks.h"
#include "Chain.h"
#include "Detail.h"
#include "PasteStages.h"

#include "canvas/CanvasChrome.h"
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/DocumentView.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace Autopilot {
namespace {
constexpr int maxPasses = 2000;
const QPointF cornerStep(14.4, 14.4);

bool near(double a, double b, double within) { return std::abs(a - b) <= within; }

// The largest grip shown, or fallback when none is.
double largestGrip(const CanvasController *c, double fallback)
{
    const QList<double> sizes = c->chrome ? c->chrome->shownGripSizes() : QList<double>();
    return sizes.isEmpty() ? fallback : *std::max_element(sizes.begin(), sizes.end());
}

// The steps share the canvas, its host and what was measured at the start.
struct Run
{
    CanvasController *c = nullptr;
    OverlayView *host = nullptr;
    QRectF area;
    QRectF shot;
    QRectF box0;
    std::optional<QUuid> commentID;
    double resting = 0;

    // A text item's frame in host coordinates; the null rectangle without one.
    QRectF textFrame(const std::optional<QUuid> &id) const
    {
        const std::optional<QRectF> frame = id ? c->textFrame(*id) : std::nullopt;
        return frame ? c->toHost(*frame) : QRectF();
    }
    QRectF editedTextFrame() const
    {
        return textFrame(c->editing ? std::optional<QUuid>(c->editing->itemID()) : std::nullopt);
    }

    // The pointer moving over the document view to a host point.
    void pointerAt(QPointF p) const
    {
        QWidget *viewport = c->scrollView->viewport();
        const QPointF inView = viewport->mapFrom(host, p);
        c->docView->mouseMoved(c->scrollView, viewport->mapTo(viewport->window(), inView.toPoint()), c->fromHost(p));
    }
    // Direct calls with host points.
    void pressAt(QPointF p) const { c->mouseDown(Qt::NoModifier, 1, c->fromHost(p)); }
    void dragAt(QPointF p) const { c->mouseDragged(Qt::NoModifier, c->fromHost(p)); }
    void releaseAt(QPointF p) const { c->mouseUp(Qt::NoModifier, c->fromHost(p)); }

    // The canvas as drawn now: what the steps left queued is delivered first.
    void picture(const QString &name) const
    {
        QCoreApplication::sendPostedEvents();
        writePicture(host, name);
    }
    bool isDocumentView(const QWidget *view) const
    {
        return view && (view == c->scrollView || view == c->scrollView->viewport());
    }

    void placement();
    void handles();
    void commentGestures();
    void boxAtTheEdge();
    void cropPan();
};

void Run::placement()
{
    check(QStringLiteral("a shot from the right of the screen leaves a full column on its right"),
          area.right() - shot.right() >= 380,
          [&] { return QStringLiteral("shot ") + Detail::text(shot) + QStringLiteral(" in ") + Detail::text(area); });
    const double step = Item::sizeScales[std::size_t(std::clamp(c->size, 0, 3))];
    check(QStringLiteral("the comment's box is beside the shot, inside the window"),
          !box0.isNull() && box0.left() >= shot.right() && area.adjusted(8, 8, -8, -8).contains(box0)
              && box0.width() <= 540 * step,
          [&] {
              return QStringLiteral("box ") + Detail::text(box0) + QStringLiteral(" shot ") + Detail::text(shot)
                     + QStringLiteral(" area ") + Detail::text(area);
          });
    picture(QStringLiteral("13-note-beside"));

    if (c->editing) {
        commentID = c->editing->itemID();
        type(c, longComment);
    }
    const QRectF text = textFrame(commentID);
    const QRectF box = c->editingBoxFrame();
    check(QStringLiteral("a long comment wraps inside its box and stays in view"),
          text.height() > 50 && box.adjusted(-1, -1, 1, 1).contains(text) && area.contains(box)
              && std::abs(box.width() - box0.width()) < 1,
          [&] { return QStringLiteral("text ") + Detail::text(text) + QStringLiteral(" box ") + Detail::text(box); });
    picture(QStringLiteral("13b-note-wrapped"));

    c->endEditing();
    check(QStringLiteral("the box goes when the comment is finished"), !c->editing && c->editingBoxFrame().isNull());
}

void Run::handles()
{
    resting = largestGrip(c, 0);
    const QPointF hover(shot.right() - 12, shot.bottom() + 10);
    pointerAt(hover);
    const double grown = largestGrip(c, 0);
    const bool hot = c->hotGrip.has_value();
    check(QStringLiteral("a handle grows when the pointer comes near"), grown >= resting * 1.4 && resting >= 14 && hot,
          [&] {
              return QStringLiteral("resting ") + Detail::text(resting) + QStringLiteral(" grown ") + Detail::text(grown)
                     + QStringLiteral(" hot ") + Detail::text(hot);
          });
    picture(QStringLiteral("13c-handle-near"));

    const QRectF before = c->markup.shotRect();
    QWidget *hit = clickThrough(host, hover, hover + QPointF(-60, -40), false);
    const QRectF after = c->markup.shotRect();
    const double unit = c->markup.unit;
    check(QStringLiteral("pressed near the corner, the handle is grabbed and the shot is cropped"),
          isDocumentView(hit) && near(before.width() - after.width(), 60 * unit, 1.5)
              && near(before.height() - after.height(), 40 * unit, 1.5) && c->markup.items.size() == 1,
          [&] {
              return QStringLiteral("hit ") + describe(hit) + QLatin1Char(' ') + Detail::change(before, after)
                     + QStringLiteral(" items ") + Detail::text(int(c->markup.items.size()));
          });

    pointerAt(shot.center());
    check(QStringLiteral("away from it, the handle shrinks back"),
          !c->hotGrip && largestGrip(c, 99) <= resting + 0.1);
}

void Run::commentGestures()
{
    const QRectF frame = textFrame(commentID);
    if (!commentID || frame.isNull()) {
        check(QStringLiteral("a comment lights up under the pointer"), false, [] { return QStringLiteral("no comment"); });
        return;
    }
    const QPointF point(frame.left() + 30, frame.bottom() - 6);
    pointerAt(point);
    check(QStringLiteral("a comment lights up under the pointer"), c->hoveredText == commentID);
    picture(QStringLiteral("13d-comment-hover"));

    clickThrough(host, point, point, true);
    check(QStringLiteral("one click in its box edits it"),
          c->editing && c->editing->itemID() == *commentID && !c->editingBoxFrame().isNull());

    type(c, QStringLiteral(" EDITED"));
    c->endEditing();
    const std::optional<Item> edited = c->markup.item(*commentID);
    check(QStringLiteral("and the edit lands in that comment"),
          edited && edited->string.contains(QLatin1String("EDITED")) && c->markup.items.size() == 1,
          [&] { return edited ? edited->string : QStringLiteral("gone"); });

    const double x0 = (edited ? edited->anchor.x() : 0) + 20;
    clickThrough(host, point, point + QPointF(30, 30), false);
    const std::optional<Item> moved = c->markup.item(*commentID);
    check(QStringLiteral("a drag on a comment still moves it"), !c->editing && (moved ? moved->anchor.x() : 0) > x0);
    commentControls(c, *commentID, host);
}

void Run::boxAtTheEdge()
{
    c->selection.clear();
    c->refresh(false);
    const QPointF p(area.right() - 30, area.top() + 120);
    click(c, c->fromHost(p));
    const QRectF box = c->editingBoxFrame();
    check(QStringLiteral("a click by the right edge gets a box that fits in the window"),
          !box.isNull() && area.contains(box) && box.width() >= 150,
          [&] { return QStringLiteral("box ") + Detail::text(box) + QStringLiteral(" area ") + Detail::text(area); });
    type(c, longComment);
    const QRectF text = editedTextFrame();
    check(QStringLiteral("and what is typed there stays in view"), !text.isNull() && area.contains(text),
          [&] { return Detail::text(text); });
    picture(QStringLiteral("13e-note-at-edge"));
    c->endEditing();
}

void Run::cropPan()
{
    const Shot first = c->markup.shots.first();
    const QPointF start = c->toHost(c->markup.shotRect()).topLeft();
    const QPointF target = area.topLeft() + QPointF(4, 4);
    const int joltsBefore = c->joltsForTest;
    pressAt(start);
    for (int k = 1; k <= 10; ++k)
        dragAt(start + (target - start) * (k / 10.0));
    const int onTheWay = c->joltsForTest - joltsBefore;

    // Held in the corner: the canvas pans by what the edge allows until it allows nothing.
    int passes = 0;
    QPointF panned;
    bool rested = false;
    while (passes < maxPasses) {
        const QPointF step = cornerPanStepForTesting()(c, cornerStep);
        if (step == QPointF()) {
            dragAt(target);
            rested = true;
            break;
        }
        const double magnification = c->scrollView->magnification();
        c->scrollView->setView(magnification, c->scrollView->origin() - step / magnification);
        dragAt(target);
        panned += step;
        ++passes;
    }
    const QRectF shotNow = c->toHost(c->markup.shotRect());
    const QRectF inDocument = c->markup.shotRect();
    const QPointF wanted = area.topLeft() + QPointF(40, 40);
    check(QStringLiteral("a crop handle held in the window's corner stops the pan once the picture's end is in sight"),
          rested && passes >= 1 && near(inDocument.left(), first.origin.x(), 1) && near(inDocument.top(), first.origin.y(), 1)
              && near(shotNow.left(), wanted.x(), 1.5) && near(shotNow.top(), wanted.y(), 1.5),
          [&] {
              return QStringLiteral("ticks ") + Detail::text(passes) + QStringLiteral(" panned ") + Detail::text(panned)
                     + QStringLiteral(" shot ") + Detail::text(shotNow) + QStringLiteral(" in ") + Detail::text(area);
          });
    const int joltsAfterPan = c->joltsForTest;
    check(QStringLiteral("and the picture jolts once when the pan has come to rest, not while it pans"),
          onTheWay <= 1 && joltsAfterPan == joltsBefore + onTheWay + 1, [&] {
              return Detail::text(onTheWay) + QStringLiteral(" on the way, ") + Detail::text(joltsAfterPan - joltsBefore)
                     + QStringLiteral(" in all");
          });

    for (int i = 0; i < 30; ++i)
        dragAt(target);
    check(QStringLiteral("held there, it neither pans nor jolts again"),
          c->edgePanStep(cornerStep.x(), cornerStep.y()) == QPointF() && c->joltsForTest == joltsAfterPan);
    picture(QStringLiteral("13f-crop-at-its-end"));

    const QPointF corner = c->toHost(c->markup.shotRect()).topLeft();
    dragAt(corner + QPointF(80, 60));
    check(QStringLiteral("a handle that still follows the pointer pans freely"),
          c->edgePanStep(14.4, -14.4) == QPointF(14.4, -14.4));
    c->edgePanStep(0, 0);
    dragAt(corner + QPointF(-30, 60));
    check(QStringLiteral("pulled past the end again, it jolts again"), c->joltsForTest == joltsAfterPan + 1,
          [&] { return Detail::text(c->joltsForTest - joltsAfterPan) + QStringLiteral(" more"); });
    releaseAt(corner + QPointF(80, 60));
    check(QStringLiteral("other drags pan as before"), c->edgePanStep(14.4, 0) == QPointF(14.4, 0));
}
} // namespace

std::function<QPointF(CanvasController *, QPointF)> &cornerPanStepForTesting()
{
    static std::function<QPointF(CanvasController *, QPointF)> step = [](CanvasController *c, QPointF s) {
        return c->edgePanStep(s.x(), s.y());
    };
    return step;
}

void commentChecks(const Handover &handover)
{
    CanvasController *c = canvasOf(handover.session);
    OverlayView *host = canvasHost(c);
    if (!c || !host || !c->docView || !c->scrollView || c->markup.shots.isEmpty()) {
        stageFailed(QStringLiteral("canvas for the comment checks"));
        return;
    }
    Run run;
    run.c = c;
    run.host = host;
    run.area = QRectF(QPointF(c->scrollView->mapTo(host, QPoint())), QSizeF(c->scrollView->size()));
    run.shot = c->toHost(c->markup.shotRect());
    run.box0 = c->editingBoxFrame();
    run.placement();
    run.handles();
    run.commentGestures();
    run.boxAtTheEdge();
    run.cropPan();

    closeCanvas(handover.session);
    Handover on = handover;
    on.session = openCanvas(handover, QRectF(20, 320, handover.screen.width() - 40, 240));
    on.controller = nullptr;
    Chain::next(20, on);
}

} // namespace Autopilot
