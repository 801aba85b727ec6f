#include "CanvasSessions.h"

#include "Chain.h"

#include "canvas/CanvasController.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "capture/FrozenFrame.h"
#include "capture/OverlayView.h"

namespace Autopilot {

ScreenInfo stagedScreen(QSize points, const QImage &picture)
{
    ScreenInfo screen;
    screen.displayId = 1;
    screen.name = QStringLiteral("Staged");
    screen.geometry = QRect(QPoint(0, 0), points);
    if (!picture.isNull() && points.width() > 0)
        screen.pixelScale = double(picture.width()) / points.width();
    return screen;
}

CaptureSession *showCapture(const ScreenInfo &screen, const QImage &image, OverlayViewHost::Mode mode,
                            CaptureSession *parent)
{
    QImage frozen = image;
    frozen.setDevicePixelRatio(screen.pixelScale);
    auto *session = new CaptureSession(QList<FrozenFrame>{FrozenFrame{screen, frozen}}, std::nullopt, mode);
    if (parent)
        parent->setChild(session);
    session->show();
    return session;
}

CaptureSession *openCanvas(const ScreenInfo &screen, const QImage &image, const QRectF &rect,
                           OverlayViewHost::Mode mode, CaptureSession *parent)
{
    CaptureSession *session = showCapture(screen, image, mode, parent);
    const QList<OverlayView *> views = session->views();
    if (!views.isEmpty() && views.first())
        views.first()->finish(rect);
    return session;
}

CaptureSession *openCanvas(const Handover &handover, const QRectF &rect)
{
    return openCanvas(stagedScreen(handover.screen, handover.picture), handover.picture, rect);
}

void closeCanvas(CaptureSession *session)
{
    if (!session)
        return;
    if (session->mode() == OverlayViewHost::Mode::AddShot) {
        CaptureSession *parent = session->parentSession();
        session->hideOverlays();
        if (parent)
            parent->bringForward();
        return;
    }
    session->end(true);
}

CanvasController *canvasOf(const CaptureSession *session)
{
    OverlayView *view = session ? session->active() : nullptr;
    return view ? dynamic_cast<CanvasController *>(view->canvas()) : nullptr;
}

OverlayView *canvasHost(const CanvasController *controller)
{
    return controller ? qobject_cast<OverlayView *>(controller->host.data()) : nullptr;
}

void click(CanvasController *controller, QPointF p)
{
    if (!controller)
        return;
    controller->mouseDown(Qt::NoModifier, 1, p);
    controller->mouseUp(Qt::NoModifier, p);
}

void type(CanvasController *controller, const QString &text)
{
    if (controller && controller->editing)
        controller->editing->insertPlainText(text);
}

} // namespace Autopilot
