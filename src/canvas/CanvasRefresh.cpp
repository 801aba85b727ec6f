// The canvas's one redraw point after every edit, and the layers of its shots.
#include "canvas/CanvasController.h"

#include "canvas/DisplayImages.h"
#include "canvas/DocumentView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/ShotItems.h"
#include "capture/CaptureSession.h"

void CanvasController::refresh(bool force)
{
    // 1: the shots, when they differ from those last laid out; every item is redrawn after.
    if (markup.shots != renderedShots) {
        updateShotLayers();
        renderedShots = markup.shots;
        if (selectedShot && !markup.shot(*selectedShot))
            selectedShot.reset();
        force = true;
    }
    // The selection keeps only items that still exist.
    for (auto it = selection.begin(); it != selection.end();) {
        if (markup.item(*it))
            ++it;
        else
            it = selection.erase(it);
    }
    // 2: drawings of items that left the document.
    removeStaleItems();
    // 3-4: the items, over what lies under them, redactions from the display copies.
    bool anyRedaction = false;
    for (const Item &item : markup.items) {
        if (item.kind == ItemKind::redaction) {
            anyRedaction = true;
            break;
        }
    }
    updateItemLayers(force, canvasGeometry(), anyRedaction ? redactionImages() : images);
    // 5-8: chrome, toolbar, autosave, the page's picture.
    updateChrome();
    updateToolbar();
    if (session)
        session->scheduleAutosave();
    markPictureStale();
}

void CanvasController::updateShotLayers()
{
    QSet<QUuid> present;
    int z = 0;
    for (const Shot &shot : std::as_const(markup.shots)) {
        present.insert(shot.id);
        auto found = shotLayers.find(shot.id);
        if (found == shotLayers.end())
            found = shotLayers.insert(shot.id, makeShotLayers(shot));
        auto *clip = static_cast<ShotClipItem *>(found->clip);
        clip->setRect(shot.rect);
        clip->setZValue(z++);
        static_cast<ShotPictureItem *>(found->image)->setFrame(shot.frame());
    }
    for (auto it = shotLayers.begin(); it != shotLayers.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        delete it->clip;
        shown.remove(it.key());
        it = shotLayers.erase(it);
    }
    docView->include(markup.shotsBounds());
}

CanvasController::ShotLayer CanvasController::makeShotLayers(const Shot &shot)
{
    auto *clip = new ShotClipItem(shot.rect, shotsLayer);
    // The cache's copy when it has one, else the shot's own picture, shared and never copied.
    QImage picture;
    bool smooth = false;
    Shown which = Shown::own;
    if (const auto found = display->lookup(shot.id)) {
        picture = found->image;
        which = found->full ? Shown::full : Shown::standIn;
        smooth = !found->full;
    } else {
        picture = images.value(shot.id).image;
    }
    auto *image = new ShotPictureItem(QImage(), shot.frame(), clip);
    image->setImage(picture, smooth);
    shown.insert(shot.id, which);
    return {clip, image};
}

void CanvasController::onDisplayImageReady(const QUuid &shot)
{
    if (shown.value(shot, Shown::own) != Shown::standIn)
        return;
    const auto full = display->fullCopy(shot);
    const auto layer = shotLayers.constFind(shot);
    if (!full || layer == shotLayers.constEnd())
        return;
    static_cast<ShotPictureItem *>(layer->image)->setImage(*full, false, true);
    shown.insert(shot, Shown::full);
}
