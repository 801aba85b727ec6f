// The canvas's export scene, the page pictures the rail shows, and the PNG data of pages.
#include "canvas/CanvasController.h"

#include "canvas/DisplayImages.h"
#include "canvas/ShapeLayers.h"
#include "capture/ClipboardPicture.h"

namespace {
constexpr double pictureMargin = 16;
const QSizeF pictureBox(720, 480);
// The longer side of the shrunk copies page pictures are drawn from: twice the picture box, so
// that a shot filling the picture still has the density of the picture, and of most pages.
constexpr int copySide = 1440;
constexpr int keptCopies = 8;
} // namespace

ExportScene CanvasController::exportScene()
{
    ExportScene::CanvasParts parts;
    parts.markup = markup;
    parts.images = images;
    for (const auto &[id, layers] : shapes) {
        if (layers && layers->outline)
            parts.outlines.insert(id, *layers->outline);
    }
    for (auto it = plates.cbegin(); it != plates.cend(); ++it)
        parts.plates.insert(it.key(), it->color);
    // What each item covers on the canvas: a comment its laid-out text (with its plate), not
    // the whole width it may wrap to.
    for (const Item &item : std::as_const(markup.items)) {
        const QRectF frame = item.kind == ItemKind::text ? itemFrame(item) : itemBounds(item);
        if (!frame.isNull())
            parts.frames.insert(item.id, frame);
    }
    return ExportScene::ofCanvas(parts);
}

double CanvasController::exportScale() const
{
    double best = 0;
    for (const Shot &shot : markup.shots) {
        const auto found = images.constFind(shot.id);
        if (found != images.constEnd() && !found->image.isNull())
            best = std::max(best, found->pixelScale);
    }
    return best > 0 ? best : 1;
}

void CanvasController::makePagePicture()
{
    if (currentPage < 0 || currentPage >= pages.size())
        return;
    ExportScene scene = exportScene();
    // The display copies where they are ready: the picture matches what the canvas shows.
    for (auto it = scene.images.begin(); it != scene.images.end(); ++it) {
        if (const std::optional<QImage> full = display ? display->fullCopy(it.key()) : std::nullopt)
            it->image = *full;
        const QImage &image = it->image;
        const int side = std::max(image.width(), image.height());
        if (image.isNull() || side <= copySide || !(it->pixelScale > 0))
            continue;
        auto copy = m_pictureCopies.constFind(image.cacheKey());
        if (copy == m_pictureCopies.constEnd()) {
            if (m_pictureCopies.size() >= keptCopies)
                m_pictureCopies.clear();
            const QImage shrunk = image.scaled(QSize(copySide, copySide), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            copy = m_pictureCopies.insert(image.cacheKey(),
                                          ShotImage{shrunk, it->pixelScale * shrunk.width() / image.width()});
        }
        scene.smaller.insert(it.key(), *copy);
    }
    pictured = markup;
    picturedAt = scheduler()->now();
    const QImage rendered = scene.render(false, pictureBox, pictureMargin);
    Page &page = pages[currentPage];
    if (rendered.isNull() && !page.picture)
        return;
    if (!rendered.isNull())
        page.picture = rendered;
    page.pictured = true;
    pictureStale = false;
}

RenderedPage CanvasController::renderCurrentPage(bool halfSize)
{
    ExportScene::Failure why = ExportScene::Failure::none;
    RenderedPage page;
    page.picture = exportScene().render(halfSize, std::nullopt, pictureMargin, &why);
    page.scale = exportScale();
    page.tooLarge = why == ExportScene::Failure::tooLarge;
    return page;
}

std::optional<QByteArray> CanvasController::pageFileData(const ExportScene &scene, double scale)
{
    const bool half = ExportScene::halfSizePreferred();
    const QImage picture = scene.render(half, std::nullopt, pictureMargin);
    if (picture.isNull())
        return std::nullopt;
    const QByteArray data = ClipboardPicture::pngData(picture, half ? std::max(scale * 0.5, 1.0) : scale);
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

std::optional<QByteArray> CanvasController::recentFileData(const QString &id)
{
    const std::optional<Recents::Loaded> loaded = Recents::load(id);
    if (!loaded)
        return std::nullopt;
    const QByteArray data = ExportScene::exportData(loaded->markup, loaded->images);
    if (data.isEmpty())
        return std::nullopt;
    return data;
}
