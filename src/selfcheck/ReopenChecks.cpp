#include "ReopenChecks.h"

#include "Autopilot.h"
#include "CanvasChecks.h"
#include "Detail.h"
#include "DropStage.h"
#include "Pasteboards.h"
#include "PicturesCanvas.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/DocumentView.h"
#include "capture/ClipboardPicture.h"
#include "capture/Importer.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "platform/Preferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QMimeData>
#include <QWheelEvent>

#include <cmath>

namespace Autopilot {
namespace {

QString sizeText(const QImage &image)
{
    return image.isNull() ? QStringLiteral("0x0") : QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
}

// The export of the canvas an overlay became; none without one.
QImage exportOf(const OverlayView *view)
{
    CanvasController *canvas = canvasOf(view);
    return canvas ? exportPicture(canvas) : QImage();
}

// A small capture near the bottom of the screen must have a screen of canvas on every side and
// pan most of a screen each way, both axes at once.
void smallCaptureChecks(QSize screen)
{
    const QImage picture = samplePicture(800, 220, 0);
    const QRectF rect(screen.width() / 2.0 - 200, screen.height() - 140, 400, 110);
    const Shot shot(QUuid::createUuid(), rect.topLeft(), rect.size(), rect);
    const Markup markup({shot}, 1, {});
    const StagedOverlay small = openPicturesCanvas(markup, {{shot.id, ShotImage{picture, 2}}}, picture, 2, screen);
    CanvasController *canvas = canvasOf(small.view);
    const QString room =
        QStringLiteral("a small capture reopened from the bottom of the screen has a screen of canvas on every side");
    if (!canvas || !canvas->scrollView || !canvas->docView) {
        check(room, false, [] { return QStringLiteral("no canvas"); });
        small.window->orderOut();
        return;
    }
    const double w = screen.width(), h = screen.height();
    const QRectF shots = canvas->markup.shotsBounds();
    const QRectF document = canvas->docView->sceneRect();
    check(room, document.contains(shots.adjusted(-w, -h, w, h)),
          [=] { return QStringLiteral("canvas ") + Detail::text(document) + QStringLiteral(" shot ") + Detail::text(shots); });

    CanvasScrollView *scroll = canvas->scrollView;
    const double m = scroll->magnification();
    const QPointF start = scroll->origin();
    QList<QPointF> short_;
    for (const double sign : {1.0, -1.0}) {
        const QPointF want(sign * 0.8 * w / m, sign * 0.8 * h / m);
        // A pan of the view by view points moves the origin the other way, by points over m.
        scroll->pan(-want.x() * m, -want.y() * m);
        const QPointF moved = scroll->origin() - start;
        if (std::abs(moved.x() - want.x()) > 1 || std::abs(moved.y() - want.y()) > 1)
            short_.append(want);
        scroll->setView(m, start);
    }
    check(QStringLiteral("and pans most of a screen up, down and sideways"), short_.isEmpty(),
          [=] { return QStringLiteral("stopped short towards ") + Detail::text(short_); });

    const QPoint fingers(30, -40);
    QWidget *viewport = scroll->viewport();
    const QPointF inside(viewport->width() / 2.0, viewport->height() / 2.0);
    QWheelEvent wheel(inside, viewport->mapToGlobal(inside), fingers, fingers, Qt::NoButton, Qt::NoModifier,
                      Qt::ScrollUpdate, false);
    QCoreApplication::sendEvent(viewport, &wheel);
    const QPointF moved = scroll->origin() - start;
    check(QStringLiteral("two-finger panning follows the fingers on a diagonal, not one axis at a time"),
          std::abs(std::abs(moved.x()) - 30 / m) < 0.01 && std::abs(std::abs(moved.y()) - 40 / m) < 0.01);
    scroll->setView(m, start);
    small.window->orderOut();
}

// A markup of one shot of E at (0, 0), for a paused save when the reopened overlay has no canvas.
Recents::Loaded pageOf(const QImage &picture)
{
    const QSizeF points = QSizeF(picture.size()) / 2;
    const Shot shot(QUuid::createUuid(), QPointF(0, 0), points, QRectF(QPointF(0, 0), points));
    return {Markup({shot}, 1, {}), {{shot.id, ShotImage{picture, 2}}}};
}

} // namespace

std::function<QByteArray(const QImage &, double)> &densityPng()
{
    static std::function<QByteArray(const QImage &, double)> encode = ClipboardPicture::pngData;
    return encode;
}

void reopenChecks(const Handover &handover)
{
    const QList<Recents::Entry> entries = Recents::list();
    const std::optional<Recents::Loaded> loaded =
        entries.isEmpty() ? std::nullopt : Recents::load(entries.first().id);
    if (!loaded) {
        stageFailed(QStringLiteral("the last capture reopens"));
        return;
    }
    const Recents::Entry &entry = entries.first();
    const QImage thumb(QDir(entry.folder).filePath(QStringLiteral("thumb.png")));
    check(QStringLiteral("history keeps the capture with a picture for the menu"),
          entry.id == handover.entry && !thumb.isNull());

    const Markup &markup = loaded->markup;
    const ShotImage first = markup.shots.isEmpty() ? ShotImage{} : loaded->images.value(markup.shots.first().id);
    if (first.image.isNull()) {
        // An entry without a shot, or whose first shot has no picture, gives nothing to reopen.
        stageFailed(QStringLiteral("the last capture reopens"), QStringLiteral("no picture"));
        return;
    }
    const std::optional<QRectF> liveShot =
        handover.controller ? std::optional<QRectF>(handover.controller->markup.shotRect()) : std::nullopt;
    const int items = int(markup.items.size());
    check(QStringLiteral("the last capture reopens with every annotation"),
          items == handover.items && liveShot == markup.shotRect() && first.image.width() == 1520, [&] {
              return Detail::text(items) + QLatin1Char(' ') + Detail::text(markup.shotRect()) + QLatin1Char(' ')
                     + Detail::text(first.image.width());
          });

    const StagedOverlay reopened = openPicturesCanvas(markup, loaded->images, first.image, first.pixelScale, handover.screen);
    Chain::next(4, withOverlay(handover, reopened));
}

void reopenedCanvasChecks(const Handover &handover)
{
    const QImage exported = exportOf(handover.overlay);
    const QImage &e = handover.exported;
    check(QStringLiteral("the reopened canvas exports the same picture"), !exported.isNull() && exported.size() == e.size(),
          [&] { return sizeText(exported) + QStringLiteral(" vs ") + sizeText(e); });
    writePicture(handover.overlay, QStringLiteral("6-reopened"));
    smallCaptureChecks(handover.screen);
    Chain::next(5, handover);
}

void pausedHistoryAndDensityChecks(const Handover &handover)
{
    const QImage &e = handover.exported;
    CanvasController *canvas = canvasOf(handover.overlay);
    Recents::Loaded page = pageOf(e);
    if (canvas) {
        page = {canvas->markup, canvas->images};
        Recents::save(page.markup, page.images, e, handover.entry, std::nullopt, std::nullopt, std::nullopt, true);
    }
    Preferences &prefs = Prefs::store();
    prefs.setValue(QStringLiteral("history.paused"), true);
    const std::optional<QString> kept =
        Recents::save(page.markup, page.images, QImage(), std::nullopt, std::nullopt, std::nullopt, std::nullopt, true);
    prefs.setValue(QStringLiteral("history.paused"), false);
    check(QStringLiteral("a paused history keeps nothing new"), !kept);

    const auto board = Pasteboards::named(Pasteboards::density);
    board->clear();
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), densityPng()(e, 2));
    board->setMimeData(data);
    const std::optional<Importer::Picture> read = Importer::picture(board->mimeData());
    const double scale = read ? read->pixelScale : 0;
    const int width = read ? int(read->image.width()) : 0;
    check(QStringLiteral("an image on the clipboard is read at its own density"), read && scale == 2 && width == e.width(),
          [=] { return Detail::text(scale) + QLatin1Char(' ') + Detail::text(width); });
    board->clear();

    Handover on = handover;
    on.pasted = read ? read->image : QImage();
    on.pastedScale = scale;
    Chain::next(6, on);
}

void historyCountCheck(const Handover &handover)
{
    const qsizetype entries = Recents::list().size();
    check(QStringLiteral("history has one entry after reopening and closing"), entries == 1,
          [=] { return Detail::text(qint64(entries)); });
    if (handover.pasted.isNull() || !(handover.pastedScale > 0)) {
        finish();
        return;
    }
    const double scale = handover.pastedScale;
    const Markup markup = fittedPicture(QSizeF(handover.pasted.size()) / scale, handover.screen);
    const StagedOverlay imported = openPicturesCanvas(markup, {{markup.shots.first().id, ShotImage{handover.pasted, scale}}},
                                                      handover.pasted, scale, handover.screen);
    Chain::next(7, withOverlay(handover, imported));
}

void importCheck(const Handover &handover)
{
    const QImage exported = exportOf(handover.overlay);
    const QImage &e = handover.exported;
    check(QStringLiteral("an imported image opens on a canvas and exports at full size"),
          !exported.isNull() && exported.width() >= e.width() && exported.height() >= e.height(),
          [&] { return sizeText(exported); });
    writePicture(handover.overlay, QStringLiteral("7-imported"));
    dropStage(handover);
    Chain::next(8, handover);
}

} // namespace Autopilot
