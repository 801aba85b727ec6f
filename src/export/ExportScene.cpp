#include "export/ExportScene.h"

#include "document/CanvasGeometry.h"
#include "document/Palette.h"
#include "export/ShapeRules.h"

#include <cmath>

namespace {
constexpr int samplerSide = 1280;
constexpr double plateSideGrow = 7; // stroke units left and right of a comment's text
constexpr double plateTopGrow = 3; // stroke units above and below it

bool isBlankText(const Item &item)
{
    return item.kind == ItemKind::text && item.string.trimmed().isEmpty();
}

PixelView viewOf(const QImage &image)
{
    return PixelView{image.width(), image.height(), image.bytesPerLine(), image.constBits(), PixelView::bgra};
}
} // namespace

bool ExportScene::drawable(const Shot &shot) const
{
    const auto it = images.constFind(shot.id);
    return it != images.constEnd() && !it->image.isNull() && std::isfinite(it->pixelScale) && it->pixelScale > 0;
}

double ExportScene::exactScale(bool halfSize) const
{
    double u = 0;
    for (const Shot &shot : markup.shots) {
        if (drawable(shot))
            u = std::max(u, images.value(shot.id).pixelScale);
    }
    return halfSize ? u / 2 : u;
}

ExportScene::Samplers ExportScene::makeSamplers(const Markup &markup, const ShotImages &images)
{
    Samplers out;
    for (const Shot &shot : markup.shots) {
        const auto it = images.constFind(shot.id);
        if (it == images.constEnd() || it->image.isNull() || out.contains(shot.id))
            continue;
        QImage picture = it->image;
        if (picture.format() != QImage::Format_ARGB32_Premultiplied && picture.format() != QImage::Format_RGB32)
            picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (auto sampler = PixelSampler::make(viewOf(picture), samplerSide))
            out.insert(shot.id, sampler);
    }
    return out;
}

ExportScene ExportScene::fromPage(const Markup &markup, const ShotImages &images,
                                  const std::optional<Samplers> &samplers)
{
    const Samplers made = samplers ? *samplers : makeSamplers(markup, images);
    QList<CanvasGeometry::Layer> layers;
    for (const Shot &shot : markup.shots)
        layers << CanvasGeometry::Layer{shot.rect, shot.frame(), made.value(shot.id)};
    const CanvasGeometry geometry(layers, RGB::white());

    ExportScene scene;
    scene.images = images;
    scene.markup = markup;
    for (const Item &item : markup.items) {
        const double w = item.scaled(markup.unit);
        switch (item.kind) {
        case ItemKind::text: {
            if (isBlankText(item))
                break;
            auto layout = std::make_shared<const TextLayout>(item, w);
            scene.texts << layout;
            const QRectF r = layout->textRect();
            if (const auto plate = geometry.outline(Palette::color(item.color), r)) {
                scene.plates.insert(item.id, *plate);
                scene.bounds << r.adjusted(-plateSideGrow * w, -plateTopGrow * w, plateSideGrow * w, plateTopGrow * w);
            } else {
                scene.bounds << r;
            }
            break;
        }
        case ItemKind::arrow:
        case ItemKind::box: {
            const auto outline = ShapeRules::outlineColor(item, geometry);
            if (outline)
                scene.outlines.insert(item.id, *outline);
            scene.bounds << ShapeRules::extent(item, outline, w);
            break;
        }
        case ItemKind::redaction:
            scene.bounds << markup.visibleRect(item);
            break;
        }
    }
    scene.bounds.removeIf([](const QRectF &r) { return r.isNull(); });
    return scene;
}

ExportScene ExportScene::ofCanvas(const CanvasParts &parts)
{
    ExportScene scene;
    scene.markup = parts.markup;
    scene.markup.items.removeIf(isBlankText);
    scene.images = parts.images;
    scene.outlines = parts.outlines;
    scene.plates = parts.plates;
    for (const Item &item : scene.markup.items) {
        if (item.kind == ItemKind::text) {
            auto layout = parts.texts.value(item.id);
            scene.texts << (layout ? layout : std::make_shared<const TextLayout>(item, item.scaled(scene.markup.unit)));
        }
        const QRectF frame = parts.frames.value(item.id);
        if (!frame.isNull())
            scene.bounds << frame;
    }
    return scene;
}
