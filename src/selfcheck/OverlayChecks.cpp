#include "OverlayChecks.h"

#include "Autopilot.h"
#include "Detail.h"
#include "PicturesCanvas.h"
#include "ScriptedInput.h"

#include "app/ChromeViews.h"
#include "app/HotKeyCenter.h"
#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "platform/InertKeyGrabber.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/MemoryShortcutStore.h"
#include "settings/SettingsWindowController.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <cmath>

namespace Autopilot {
namespace {

// The staged desktop of the first overlay, front to back (points).
const QList<QRectF> stagedWindows = {QRectF(300, 200, 500, 320), QRectF(100, 80, 1100, 700)};

QPointF snapped(QPointF p, double scale)
{
    return QPointF(std::round(p.x() * scale) / scale, std::round(p.y() * scale) / scale);
}

// Scripted pointer and keys on an overlay, through its own event handlers.
struct OverlayHand
{
    OverlayView *view;

    void press(QPointF p) const { sendMouse(view, view, QEvent::MouseButtonPress, p); }
    void dragTo(QPointF p) const { sendMouse(view, view, QEvent::MouseMove, p); }
    void release(QPointF p) const { sendMouse(view, view, QEvent::MouseButtonRelease, p); }
    void hover(QPointF p) const { view->trackPointer(true, p); }
    // Eight drag events along from → from + by, each on the pixel grid.
    void stepDrag(QPointF from, QPointF by) const
    {
        for (int i = 1; i <= 8; ++i)
            dragTo(snapped(from + by * (i / 8.0), view->pixelScale()));
    }
    // With modifiers (none: the live ones), a press at from and an eight-step drag by by.
    void pressAndStep(std::optional<Qt::KeyboardModifiers> modifiers, QPointF from, QPointF by) const
    {
        if (modifiers)
            overlayModifiers()(view, modifiers);
        press(from);
        stepDrag(from, by);
    }
    void key(int keyCode, const QString &characters, QEvent::Type type = QEvent::KeyPress) const
    {
        const auto event = keyEvent(keyCode, characters, 0, type);
        QCoreApplication::sendEvent(view, event.get());
    }
};

QString stageName(const OverlayView *view)
{
    return view->stage() == OverlayView::Stage::Canvas ? QStringLiteral("canvas") : QStringLiteral("selecting");
}

QString chipDetail(const OverlayView *view)
{
    return view->chip()->isHidden() ? QStringLiteral("no chip") : view->chip()->label()->text();
}

bool chipReads(const OverlayView *view, const QString &text)
{
    return !view->chip()->isHidden() && view->chip()->label()->text() == text;
}

void checkSelection(const QString &sentence, const OverlayView *view, const QRectF &want)
{
    const std::optional<QRectF> got = view->selection();
    check(sentence, got == want, [got] { return Detail::text(got); });
}

QByteArray pngOf(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

// A shortcut centre of the run: the statuses are worked out over a grabber that takes nothing
// from the display and a desktop store in memory, so no global key is grabbed and the desktop's
// settings are never written. Kept to the end of the process.
HotKeyCenter &runShortcutCentre()
{
    static InertKeyGrabber *grabber = new InertKeyGrabber;
    static MemoryShortcutStore *store = new MemoryShortcutStore;
    static HotKeyCenter *centre = new HotKeyCenter(*grabber, *store);
    return *centre;
}

void settingsPicture()
{
    // The window is drawn, never shown: by the software scene graph, which needs no display
    // (in effect only before the process's first Quick window, which this is in a run).
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    HotKeyCenter &centre = runShortcutCentre();
    centre.registerAll();
    auto *controller = new SettingsWindowController(centre);
    keepAlive().append(controller);
    QQuickView *window = controller->window();
    if (!window)
        return;
    writePicture(pngOf(window->grabWindow()), QStringLiteral("4-settings"));
}

void nudgeCheck(const QImage &picture, QSize screen)
{
    const StagedOverlay g = stageOverlay(picture, screen.width(), screen.height());
    const OverlayHand hand{g.view};
    hand.pressAndStep(std::nullopt, QPointF(400, 300), QPointF(400, 300));
    hand.release(QPointF(800, 600));
    CanvasController *canvas = canvasOf(g.view);
    if (!canvas) {
        check(QStringLiteral("canvas opened for the nudge check"), false);
        return;
    }
    const QRectF r = canvas->markup.shotRect();
    const QPointF corner = r.bottomRight();
    canvas->mouseDown({}, 1, corner);
    canvas->mouseDragged({}, corner - QPointF(20, 0));
    canvas->mouseUp({}, corner - QPointF(20, 0));
    const double w1 = canvas->markup.shotRect().width();
    canvas->keyDown(keyEvent(KeyCode::Right).get());
    canvas->keyDown(keyEvent(KeyCode::Right, {}, EventFlag::Shift).get());
    const double w2 = canvas->markup.shotRect().width();
    const double grew = (w2 - w1) * g.view->pixelScale();
    check(QStringLiteral("arrow keys nudge the crop edge 1 px then 10 px"), std::abs(grew - 11) < 0.01,
          [grew] { return QStringLiteral("grew ") + Detail::text(grew) + QStringLiteral(" px"); });
}

} // namespace

std::function<void(OverlayView *, std::optional<Qt::KeyboardModifiers>)> &overlayModifiers()
{
    static std::function<void(OverlayView *, std::optional<Qt::KeyboardModifiers>)> hand =
        [](OverlayView *view, std::optional<Qt::KeyboardModifiers> modifiers) { view->setTestModifiers(modifiers); };
    return hand;
}

void overlayChecks(const Handover &handover)
{
    const QImage &picture = handover.picture;
    const QSize screen = handover.screen;
    auto staged = [&] { return stageOverlay(picture, screen.width(), screen.height()); };

    Preferences &prefs = Prefs::store();
    prefs.setValue(QStringLiteral("canvas.railWidth"), 184);
    prefs.setValue(QStringLiteral("canvas.railThumb"), 132);

    // Hovering and clicking the staged windows.
    const StagedOverlay a = staged();
    a.view->setWindows(stagedWindows, {});
    const OverlayHand onA{a.view};
    onA.hover(QPointF(420, 300));
    check(QStringLiteral("hover shows the front window's size"), chipReads(a.view, QStringLiteral("1000 × 640")),
          [&] { return chipDetail(a.view); });
    writePicture(a.view, QStringLiteral("0-hover"));
    onA.hover(QPointF(150, 120));
    check(QStringLiteral("hover falls through to the window behind"), chipReads(a.view, QStringLiteral("2200 × 1400")),
          [&] { return chipDetail(a.view); });
    onA.hover(QPointF(420, 300));
    onA.press(QPointF(420, 300));
    onA.dragTo(QPointF(422, 301));
    onA.release(QPointF(422, 301));
    {
        const CanvasController *canvas = canvasOf(a.view);
        const std::optional<QRectF> shot = canvas ? std::optional<QRectF>(canvas->markup.shotRect()) : std::nullopt;
        check(QStringLiteral("a click takes the window"),
              a.view->stage() == OverlayView::Stage::Canvas && shot == QRectF(300, 200, 500, 320),
              [&] { return stageName(a.view) + QLatin1Char(' ') + Detail::text(shot); });
    }

    // Shift squares the drag; letting go of it gives the plain rectangle back. Alt grows it
    // from the centre.
    const StagedOverlay b = staged();
    const OverlayHand onB{b.view};
    onB.pressAndStep(Qt::ShiftModifier, QPointF(100, 100), QPointF(200, 60));
    checkSelection(QStringLiteral("Shift drag is square"), b.view, QRectF(100, 100, 200, 200));
    overlayModifiers()(b.view, Qt::NoModifier);
    onB.dragTo(QPointF(300, 160));
    checkSelection(QStringLiteral("letting go of Shift unsquares it"), b.view, QRectF(100, 100, 200, 60));
    const StagedOverlay c = staged();
    OverlayHand{c.view}.pressAndStep(Qt::AltModifier, QPointF(500, 400), QPointF(60, 30));
    checkSelection(QStringLiteral("Option drag grows from the centre"), c.view, QRectF(440, 370, 120, 60));

    // Space moves the selection; the drag then resizes from the moved corner.
    const StagedOverlay d = staged();
    const OverlayHand onD{d.view};
    onD.pressAndStep(std::nullopt, QPointF(100, 100), QPointF(200, 100));
    onD.key(KeyCode::Space, QStringLiteral(" "));
    onD.dragTo(QPointF(350, 260));
    checkSelection(QStringLiteral("Space moves the selection"), d.view, QRectF(150, 160, 200, 100));
    onD.key(KeyCode::Space, QStringLiteral(" "), QEvent::KeyRelease);
    onD.dragTo(QPointF(400, 260));
    checkSelection(QStringLiteral("then resizing resumes from the moved corner"), d.view, QRectF(150, 160, 250, 100));
    onD.release(QPointF(400, 260));

    const StagedOverlay e = staged();
    const OverlayHand onE{e.view};
    onE.press(QPointF(10, 10));
    onE.release(QPointF(10, 10));
    check(QStringLiteral("a click on no window keeps selecting"), e.view->stage() == OverlayView::Stage::Selecting);
    onE.key(KeyCode::F, QStringLiteral("f"));
    check(QStringLiteral("F takes the full display"), e.view->stage() == OverlayView::Stage::Canvas);

    const StagedOverlay f = staged();
    const QImage cropped = f.view->croppedImage(QRectF(10.25, 10, 100, 50));
    check(QStringLiteral("area to clipboard is whole pixels"),
          !cropped.isNull() && (cropped.width() == 200 || cropped.width() == 201) && cropped.height() == 100,
          [&] { return QStringLiteral("%1x%2").arg(cropped.width()).arg(cropped.height()); });

    nudgeCheck(picture, screen);
    settingsPicture();
    Chain::next(1, handover);
}

void selectingStage(const Handover &handover)
{
    const StagedOverlay staged = stageOverlay(handover.picture, handover.screen.width(), handover.screen.height());
    const OverlayHand hand{staged.view};
    hand.press(QPointF(270, 60));
    hand.dragTo(QPointF(700, 300));
    hand.dragTo(QPointF(1030, 460));
    writePicture(staged.view, QStringLiteral("1-selecting"));
    hand.release(QPointF(1030, 460));
    Handover on = handover;
    on.overlay = staged.view;
    on.window = staged.window;
    on.controller = canvasOf(staged.view);
    Chain::next(2, on);
}

} // namespace Autopilot
