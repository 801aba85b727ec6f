// A capture driven by XTest in a process of its own, so that the parent test can give it a screen
// scale (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS) before Qt starts. All positions on the command
// line are device pixels of the X screen. Prints what it saw, a line each:
//   labels: the coordinate label after the overlay opened under the pointer, then after a move
//   picture x y w h: where the chosen picture (the clipboard's, or the canvas's shot) lies in its
//     display's frozen picture, in pixels
//   window x y top: the canvas window's content corner on the X screen and its title bar, in pixels
//
// helper_scaledpointer clipboard|canvas drag SX SY EX EY     a drag from one pixel to another
// helper_scaledpointer clipboard|canvas pick X Y W H PX PY   a click at (PX, PY) on a window at X Y W H
// helper_scaledpointer canvas frame SCREEN                   F on a screen; where the canvas window went
#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "app/ChromeViews.h"
#include "platform/PointerPosition.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdio>

namespace {
constexpr uint32_t XK_f = 0x66;

// Each pixel tells where it is in its display's picture: red and green the low bits of x and y,
// blue their high bits.
QImage positions(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4));
    }
    return img;
}

QPoint positionOf(QRgb pixel)
{
    return {qRed(pixel) + 256 * (qBlue(pixel) & 15), qGreen(pixel) + 256 * (qBlue(pixel) >> 4)};
}

QList<FrozenFrame> frames()
{
    QList<FrozenFrame> all;
    quint32 id = 1;
    for (QScreen *s : QGuiApplication::screens()) {
        FrozenFrame f;
        f.screen.displayId = id++;
        f.screen.name = s->name();
        f.screen.geometry = s->geometry();
        f.screen.pixelScale = s->devicePixelRatio();
        f.image = positions((QSizeF(s->geometry().size()) * s->devicePixelRatio()).toSize());
        f.image.setDevicePixelRatio(s->devicePixelRatio());
        all << f;
    }
    return all;
}

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString picture(const QImage &image)
{
    if (image.isNull())
        return QStringLiteral("picture none");
    const QPoint at = positionOf(image.pixel(0, 0));
    return QStringLiteral("picture %1 %2 %3 %4").arg(at.x()).arg(at.y()).arg(image.width()).arg(image.height());
}

// The content corner of an X window on the root, and the top of its frame, in device pixels.
QString windowOnScreen(WId id)
{
    const auto c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *at = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, xcb_window_t(id), root, 0, 0), nullptr);
    const QByteArray name("_NET_FRAME_EXTENTS");
    auto *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr);
    auto *extents = atom ? xcb_get_property_reply(c, xcb_get_property(c, 0, xcb_window_t(id), atom->atom,
                                                                      XCB_ATOM_CARDINAL, 0, 4), nullptr)
                         : nullptr;
    int top = -1;
    if (extents && extents->format == 32 && xcb_get_property_value_length(extents) >= 16)
        top = int(static_cast<const quint32 *>(xcb_get_property_value(extents))[2]);
    const QString line = at ? QStringLiteral("window %1 %2 %3").arg(at->dst_x).arg(at->dst_y).arg(top)
                            : QStringLiteral("window none %1").arg(id);
    std::free(at);
    std::free(atom);
    std::free(extents);
    xcb_disconnect(c);
    return line;
}

int fail(const char *why)
{
    say(QStringLiteral("error %1").arg(QLatin1String(why)));
    return 1;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return fail("usage");
    const auto mode = args[0] == "canvas" ? OverlayViewHost::Mode::Canvas : OverlayViewHost::Mode::Clipboard;
    const QString action = args[1];
    QList<int> n;
    for (const QString &a : args.mid(2))
        n << a.toInt();
    XTestInput input;
    if (!input.isValid())
        return fail("no XTest");
    input.setPace(60);
    CaptureSession::resetForTesting();
    CanvasController::install();

    // The pointer waits where the action starts before the overlays open.
    QPoint first;
    if (action == "drag" && n.size() == 4)
        first = {n[0], n[1]};
    else if (action == "pick" && n.size() == 6)
        first = {n[4], n[5]};
    else if (action == "frame" && n.size() == 1 && n[0] < QGuiApplication::screens().size()) {
        const QScreen *s = QGuiApplication::screens().at(n[0]);
        const QRect g = s->geometry();
        first = g.topLeft() + QPoint(int(g.width() * s->devicePixelRatio() / 2), int(g.height() * s->devicePixelRatio() / 2));
    } else
        return fail("usage");
    input.moveTo(first);

    auto *session = new CaptureSession(frames(), std::nullopt, mode);
    CaptureSession::setCurrentSession(session);
    session->show();
    for (OverlayWindow *w : session->windows())
        if (!QTest::qWaitForWindowExposed(w))
            return fail("overlay not shown");
    const QPointF global = PointerPosition::global();
    OverlayView *view = nullptr;
    for (OverlayView *v : session->views())
        if (QRectF(v->window()->geometry()).contains(global))
            view = v;
    if (!view)
        return fail("no overlay under the pointer");
    const double s = view->pixelScale();
    const auto labelText = [view] { return view->coordLabel()->isVisible() ? view->coordLabel()->label()->text() : QString("hidden"); };
    QString labels = labelText();
    input.moveTo(first + QPoint(1, 1));
    QTest::qWait(100);
    labels += " | " + labelText();
    input.moveTo(first);
    QTest::qWait(100);
    labels += " | " + labelText();
    say("labels " + labels);

    if (action == "drag") {
        input.drag(first, {n[2], n[3]});
    } else if (action == "pick") {
        view->setWindows({QRectF(n[0] / s, n[1] / s, n[2] / s, n[3] / s)}, {});
        input.moveTo(first + QPoint(0, 1));
        QTest::qWait(100);
        input.moveTo(first);
        QTest::qWait(100);
        say(QStringLiteral("hovered %1").arg(view->hovered() ? "yes" : "no"));
        if (!view->hovered())
            return 0;
        input.buttonDown();
        input.buttonUp();
    } else {
        input.keyDown(XK_f);
        input.keyUp(XK_f);
    }

    if (mode == OverlayViewHost::Mode::Clipboard) {
        if (!QTest::qWaitFor([] { return CaptureSession::currentSession() == nullptr; }, 5000))
            return fail("no choice");
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        say(picture(data ? QImage::fromData(data->data("image/png"), "png") : QImage()));
        return 0;
    }
    if (!QTest::qWaitFor([view] { return view->stage() == OverlayView::Stage::Canvas; }, 5000))
        return fail("no canvas");
    const auto *canvas = dynamic_cast<const CanvasController *>(view->canvas());
    if (!canvas || canvas->markup.shots.isEmpty())
        return fail("no canvas");
    // The canvas's shot is the chosen part of the frozen display.
    const Shot &shot = canvas->markup.shots.first();
    say(picture(view->croppedImage(shot.rect.translated(-shot.origin))));
    if (action == "frame") {
        // The window manager frames the window and moves it where it was asked to go.
        QTest::qWait(800);
        say(windowOnScreen(view->window()->windowHandle()->winId()));
    }
    return 0;
}
