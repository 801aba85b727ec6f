#include "Lookups.h"

#include "Detail.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"
#include "history/Recents.h"

#include <QPainter>
#include <QSet>
#include <QWidget>

#include <algorithm>

namespace Autopilot {
namespace {
QList<Item> ofKind(const ItemList &items, ItemKind kind)
{
    QList<Item> found;
    for (const Item &item : items)
        if (item.kind == kind)
            found.append(item);
    return found;
}

QSet<QString> historyIDs()
{
    QSet<QString> ids;
    for (const Recents::Entry &entry : Recents::list())
        ids.insert(entry.id);
    return ids;
}
} // namespace

QList<int> pixel(const QImage &image, int x, int y)
{
    if (image.isNull() || x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return {};
    QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
    if (one.isNull())
        return {};
    one.fill(Qt::transparent);
    {
        QPainter painter(&one);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QPoint(-x, -y), image);
    }
    const QRgb p = one.pixel(0, 0); // premultiplied, as drawn
    return {qRed(p), qGreen(p), qBlue(p)};
}

QWidget *rowAt(const QList<QWidget *> &views, double y, QWidget *in)
{
    for (QWidget *view : views) {
        if (!view || !in)
            continue;
        const QPointF top = in->mapFromGlobal(view->mapToGlobal(QPointF(0, 0)));
        if (top.y() <= y && y <= top.y() + view->height())
            return view;
    }
    return nullptr;
}

bool allHit(const QList<double> &xs, double y, OverlayView *overlay, QWidget *expected)
{
    QWidget *superview = overlay->parentWidget();
    for (const double x : xs) {
        const QPointF inSuper = superview ? overlay->mapToParent(QPointF(x, y)) : QPointF(x, y);
        const QPointF back = superview ? overlay->mapFromParent(inSuper) : inSuper;
        // Inside the bounds as a press is: the right and bottom edges belong to the next view.
        if (back.x() < 0 || back.y() < 0 || back.x() >= overlay->width() || back.y() >= overlay->height())
            return false;
        QWidget *hit = overlay;
        if (overlay->stage() == OverlayView::Stage::Canvas) {
            QWidget *base = superview ? superview : overlay;
            QWidget *deepest = base->childAt(inSuper.toPoint());
            hit = deepest ? deepest : base;
        }
        if (hit != expected)
            return false;
    }
    return true;
}

QList<Item> texts(const CanvasController *controller)
{
    return ofKind(controller->markup.items, ItemKind::text);
}

QList<Item> arrows(const ItemList &items) { return ofKind(items, ItemKind::arrow); }
QList<Item> redactions(const ItemList &items) { return ofKind(items, ItemKind::redaction); }

QList<Item> arrowComments(const ItemList &items)
{
    QList<Item> found;
    for (const Item &item : items)
        if (item.kind == ItemKind::text && item.arrowID)
            found.append(item);
    return found;
}

std::optional<Item> lastItem(const ItemList &items)
{
    return items.isEmpty() ? std::nullopt : std::optional<Item>(items.last());
}

std::optional<Item> plainClickText(const ItemList &items)
{
    for (const Item &item : items)
        if (item.kind == ItemKind::text && item.string == QLatin1String("a plain click makes text"))
            return item;
    return std::nullopt;
}

bool hasHereText(const ItemList &items)
{
    return std::any_of(items.begin(), items.end(), [](const Item &item) {
        return item.kind == ItemKind::text && item.string == QLatin1String("Here");
    });
}

QString noteText(const CanvasController *controller, const QUuid &arrowID)
{
    const std::optional<Item> note = controller->markup.note(arrowID);
    return note ? note->string : QStringLiteral("none");
}

QString itemText(const CanvasController *controller, const std::optional<QUuid> &id)
{
    const std::optional<Item> item = id ? controller->markup.item(*id) : std::nullopt;
    return item ? item->string : QStringLiteral("gone");
}

QString describeItem(const std::optional<Item> &item)
{
    if (!item)
        return QStringLiteral("none at none");
    return item->string + QStringLiteral(" at ") + Detail::text(item->anchor);
}

bool itemGone(const CanvasController *controller, const QUuid &id)
{
    return !controller->markup.item(id).has_value();
}

QStringList recentIDs(const QList<RailRow> &rows)
{
    QStringList ids;
    for (const RailRow &row : rows)
        if (row.isRecent())
            ids.append(row.recent);
    return ids;
}

bool allInRecents(const QStringList &ids)
{
    if (ids.isEmpty())
        return true;
    const QSet<QString> known = historyIDs();
    return std::all_of(ids.begin(), ids.end(), [&known](const QString &id) { return known.contains(id); });
}

bool noneInRecents(const QList<RailRow> &rows, const CanvasController *controller)
{
    const QStringList gone = recentIDs(rows);
    if (gone.isEmpty())
        return true;
    const QStringList shown = controller->recentShownIDs();
    const QSet<QString> known = historyIDs();
    return std::none_of(gone.begin(), gone.end(),
                        [&](const QString &id) { return shown.contains(id) || known.contains(id); });
}

void sortDates(QList<QDateTime> &dates)
{
    std::stable_sort(dates.begin(), dates.end(), [](const QDateTime &a, const QDateTime &b) { return a > b; });
}

bool allWidth(const QList<QRectF> &frames)
{
    return std::all_of(frames.begin(), frames.end(), [](const QRectF &frame) { return frame.width() == 96; });
}

} // namespace Autopilot
