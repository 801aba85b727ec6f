// The drawings of the canvas's items: marks, comment texts and the plates behind comments, kept in
// step with the document, and what they cover.
#include "canvas/CanvasController.h"

#include "canvas/DisplayImages.h"
#include "canvas/DocumentView.h"
#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"
#include "document/Palette.h"
#include "export/ShapeRules.h"

#include <QGraphicsPathItem>
#include <QPen>

namespace {
constexpr double textsZ = 4; // above the four containers
constexpr double plateSide = 7;
constexpr double plateEnd = 3;
constexpr double plateRadius = 6;
constexpr double plateAlpha = 0.9;

QRectF plateRect(const QRectF &text, double u)
{
    return text.adjusted(-plateSide * u, -plateEnd * u, plateSide * u, plateEnd * u);
}
} // namespace

void CanvasController::removeStaleItems()
{
    QSet<QUuid> ids;
    ids.reserve(markup.items.size());
    for (const Item &item : markup.items)
        ids.insert(item.id);
    for (auto it = shapes.begin(); it != shapes.end();) {
        if (ids.contains(it->first)) {
            ++it;
            continue;
        }
        rendered.remove(it->first);
        it = shapes.erase(it);
    }
    for (auto it = texts.begin(); it != texts.end();) {
        if (ids.contains(it.key())) {
            ++it;
            continue;
        }
        if (editing == it.value())
            editing = nullptr;
        delete it.value();
        if (const auto plate = plates.constFind(it.key()); plate != plates.constEnd()) {
            delete plate->layer;
            plates.erase(plate);
        }
        rendered.remove(it.key());
        it = texts.erase(it);
    }
}

void CanvasController::updateItemLayers(bool force, const CanvasGeometry &geometry, const ShotImages &mosaicImages)
{
    for (const Item &item : markup.items) {
        if (!force) {
            const auto last = rendered.constFind(item.id);
            if (last != rendered.constEnd() && *last == item)
                continue;
        }
        rendered.insert(item.id, item);
        ++itemDrawsForTest;
        if (item.kind == ItemKind::text) {
            TextItemView *view = texts.value(item.id);
            if (!view) {
                view = new TextItemView(item);
                view->setZValue(textsZ);
                docView->addItem(view);
                texts.insert(item.id, view);
            }
            view->apply(item, item.scaled(markup.unit));
            updatePlate(item, view, geometry);
            continue;
        }
        auto found = shapes.find(item.id);
        ShapeLayers *layers = found != shapes.end() ? found->second.get() : makeShapeLayers(item);
        layers->update(item, markup, geometry, mosaicImages);
    }
}

void CanvasController::updatePlate(const Item &item, TextItemView *view, const CanvasGeometry &geometry)
{
    const double u = item.scaled(markup.unit);
    const QRectF r = textRectOf(view);
    std::optional<RGB> answer;
    if (!item.string.isEmpty())
        answer = geometry.outline(Palette::color(item.color), r);
    const auto found = plates.find(item.id);
    if (!answer) {
        if (found != plates.end()) {
            delete found->layer;
            plates.erase(found);
        }
        return;
    }
    QGraphicsPathItem *layer = found != plates.end() ? found->layer : nullptr;
    if (!layer) {
        layer = new QGraphicsPathItem(platesLayer);
        layer->setPen(Qt::NoPen);
    }
    QPainterPath path;
    path.addRoundedRect(plateRect(r, u), plateRadius * u, plateRadius * u);
    layer->setPath(path);
    layer->setBrush(ShapeRules::qColor(*answer, plateAlpha));
    plates.insert(item.id, Plate{layer, *answer});
}

ShapeLayers *CanvasController::makeShapeLayers(const Item &item)
{
    auto layers = std::make_unique<ShapeLayers>();
    layers->addTo(item.kind == ItemKind::redaction ? redactionLayer : shapesLayer);
    ShapeLayers *made = layers.get();
    shapes[item.id] = std::move(layers);
    return made;
}

CanvasGeometry CanvasController::canvasGeometry() const
{
    QList<CanvasGeometry::Layer> layers;
    layers.reserve(markup.shots.size());
    for (const Shot &shot : markup.shots)
        layers << CanvasGeometry::Layer{shot.rect, shot.frame(), samplers.value(shot.id)};
    return CanvasGeometry(layers, RGB{1, 1, 1});
}

QRectF CanvasController::itemFrame(const Item &item) const
{
    if (item.kind == ItemKind::text) {
        const TextItemView *view = texts.value(item.id);
        if (!view)
            return {};
        const QRectF r = textRectOf(view);
        return plates.contains(item.id) ? plateRect(r, item.scaled(markup.unit)) : r;
    }
    if (const auto found = shapes.find(item.id); found != shapes.end())
        return found->second->drawnBounds;
    return {};
}

ShotImages CanvasController::redactionImages() const
{
    ShotImages out = images;
    for (auto it = out.begin(); it != out.end(); ++it) {
        if (const auto full = display->fullCopy(it.key()))
            it->image = *full;
    }
    return out;
}

QRectF CanvasController::textRectOf(const TextItemView *view)
{
    const QRectF r = view->textRect();
    return view->parentItem() ? view->parentItem()->mapRectToScene(r) : r;
}
