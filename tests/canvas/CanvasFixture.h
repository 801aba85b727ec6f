#pragma once
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/DocumentView.h"
#include "capture/OverlayCanvas.h"
#include "capture/OverlayView.h"
#include "platform/Preferences.h"

#include "../capture/OverlayFakeHost.h"

#include <QtTest>

#include <memory>

// An overlay view of a given size over a pattern picture, shown (offscreen), with a fake session;
// the canvas editor's hooks are installed.
struct CanvasFixture
{
    std::unique_ptr<OverlayFakeHost> parent;
    std::unique_ptr<OverlayFakeHost> host;
    std::unique_ptr<OverlayView> view;

    explicit CanvasFixture(QSize size = QSize(1440, 875), double scale = 1,
                           OverlayViewHost::Mode mode = OverlayViewHost::Mode::Canvas)
    {
        CanvasController::install();
        if (mode == OverlayViewHost::Mode::AddShot)
            parent = std::make_unique<OverlayFakeHost>(OverlayViewHost::Mode::Canvas);
        host = std::make_unique<OverlayFakeHost>(mode, parent.get());
        view = std::make_unique<OverlayView>(
            size, patternImage(qRound(size.width() * scale), qRound(size.height() * scale)), scale);
        view->setSession(host.get());
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("overlay not exposed");
    }

    // Chooses rect on the overlay: it becomes the canvas.
    CanvasController *open(const QRectF &rect)
    {
        view->finish(rect);
        return controller();
    }
    CanvasController *controller() const { return dynamic_cast<CanvasController *>(view->canvas()); }
};

inline void setPreference(const QString &key, const QJsonValue &value)
{
    Preferences::shared().setValue(key, value);
}
