#include "PicturesCanvas.h"

#include "Autopilot.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "document/NoteLayout.h"

#include <algorithm>

namespace Autopilot {

StagedOverlay openPicturesCanvas(const Markup &markup, const ShotImages &images, const QImage &picture,
                                 double scale, QSize screen)
{
    auto *view = new OverlayView(screen, picture, scale);
    auto *window = new OverlayWindow(QRect(QPoint(0, 0), screen));
    window->setContentView(view);
    keepAlive().append(view);
    keepAlive().append(window);
    const bool several = markup.shots.size() > 1;
    view->openPicturesCanvas(markup, images, several ? markup.shotsBounds() : markup.shotRect());
    if (several) {
        if (CanvasController *canvas = canvasOf(view))
            canvas->zoomToFit();
    }
    return {view, window};
}

Markup fittedPicture(QSizeF points, QSize screen)
{
    const QRectF screenRect(QPointF(0, 0), QSizeF(screen));
    const QRectF centred(screenRect.center() - QPointF(points.width() / 2, points.height() / 2), points);
    const QRectF fitted = NoteLayout::fit(centred, screenRect, 60, 1);
    return Markup::single(QRectF(QPointF(0, 0), points), points, points.width() / std::max(fitted.width(), 1e-9));
}

Handover withOverlay(const Handover &handover, const StagedOverlay &staged)
{
    Handover on = handover;
    on.overlay = staged.view;
    on.window = staged.window;
    return on;
}

CanvasController *canvasOf(const OverlayView *view)
{
    return view ? dynamic_cast<CanvasController *>(view->canvas()) : nullptr;
}

} // namespace Autopilot
