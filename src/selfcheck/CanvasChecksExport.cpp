// The export half of the canvas checks: the first export E, its pixels where the redactions lie,
// the zoom commands, and an export size that depends neither on zoom nor on a hair's move of
// the comments.
#include "CanvasChecks.h"

#include "Autopilot.h"
#include "Detail.h"
#include "Lookups.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/ClipboardPicture.h"
#include "document/Trim.h"

#include <QWidget>

#include <cmath>

namespace Autopilot {
namespace {

// The pixel of E that shows canvas point p, E framing the shot with its content bounds C.
QList<int> pixelOf(const QImage &picture, const QRectF &shot, const QRectF &content, QPointF p)
{
    const int column = int(std::ceil((shot.left() - content.left()) * 2)) + int(std::trunc((p.x() - shot.left()) * 2));
    const int row = int(std::ceil((shot.top() - content.top()) * 2)) + int(std::trunc((p.y() - shot.top()) * 2));
    return pixel(picture, column, row);
}

void pixelChecks(CanvasController *canvas, const QImage &exported)
{
    const ExportScene scene = canvas->exportScene();
    const QRectF shot = canvas->markup.shotRect();
    const QRectF content = Trim::contentBounds(scene.bounds, shot, 8);
    const QList<int> a = pixelOf(exported, shot, content, QPointF(723, 123));
    const QList<int> b = pixelOf(exported, shot, content, QPointF(730, 130));
    check(QStringLiteral("redaction is solid blocks"), !a.isEmpty() && a == b, [=] { return Detail::versus(a, b); });
    const QList<int> outside = pixelOf(exported, shot, content, QPointF(1060, 480));
    check(QStringLiteral("redaction outside the shot leaves white space"), outside == QList<int>{255, 255, 255},
          [=] { return Detail::text(outside); });
}

void zoomCheck(CanvasController *canvas)
{
    const ExportScene scene = canvas->exportScene();
    canvas->zoomToFit();
    const double m1 = canvas->scrollView->magnification();
    const QRectF content = canvas->toHost(Trim::contentBounds(scene.bounds, canvas->markup.shotsBounds(), 0));
    const QRectF frame = QRectF(canvas->scrollView->geometry()).adjusted(-1, -1, 1, 1);
    canvas->zoomToActualSize();
    const double m2 = canvas->scrollView->magnification();
    check(QStringLiteral("Command-0 fits, Command-1 is 100%"), frame.contains(content) && std::abs(m2 - 1) < 0.001,
          [=] { return Detail::text(m1) + QLatin1Char(' ') + Detail::text(m2); });
}

void moveComments(CanvasController *canvas, QPointF by)
{
    for (TextItemView *view : std::as_const(canvas->texts))
        if (view)
            view->setPos(view->pos() + by);
}

} // namespace

bool canvasExportChecks(CanvasController *canvas, QWidget *overlay, QImage &exported)
{
    exported = exportPicture(canvas);
    if (exported.isNull()) {
        stageFailed(QStringLiteral("export"));
        return false;
    }
    check(QStringLiteral("export"), true);
    writePicture(ClipboardPicture::pngData(exported, 2), QStringLiteral("3-export"));
    sink()(QStringLiteral("     export %1 x %2 px").arg(exported.width()).arg(exported.height()));

    pixelChecks(canvas, exported);
    zoomCheck(canvas);
    canvas->zoomBy(0.5);
    writePicture(overlay, QStringLiteral("5-zoomed-out"));

    const QImage zoomedOut = exportPicture(canvas);
    check(QStringLiteral("the export does not depend on zoom"), zoomedOut.size() == exported.size());

    const QString hair = QStringLiteral("a comment's box moved a hair by the pixel grid changes nothing in the export");
    const ExportScene before = canvas->exportScene();
    if (before.texts.isEmpty()) {
        check(hair, false);
        return true;
    }
    moveComments(canvas, QPointF(-0.03, -0.061));
    const ExportScene after = canvas->exportScene();
    const QImage moved = after.render(ExportScene::halfSizePreferred(), std::nullopt, 16);
    check(hair, after.bounds == before.bounds && moved.size() == zoomedOut.size());
    moveComments(canvas, QPointF(0.03, 0.061));
    return true;
}

} // namespace Autopilot
