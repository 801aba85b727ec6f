#pragma once
#include "document/Item.h"
#include "document/ItemList.h"
#include "rail/RailRow.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

class CanvasController;
class OverlayView;
class QWidget;

// What the self-check's stages look at after they acted: pixels, hit tests, the canvas's items,
// the history and small list helpers. Lookups that find nothing answer none, an empty list,
// "none" or "gone", which the checks print as their details.
namespace Autopilot {

// [red, green, blue] (0...255) of pixel (x, y) (from the left and the top) of the picture as
// drawn over nothing, so a translucent pixel gives its premultiplied colour; empty when the
// pixel lies outside the picture or cannot be read.
QList<int> pixel(const QImage &image, int x, int y);

// The first view whose frame, in the coordinates of in, spans y (both edges included); none when
// no view does.
QWidget *rowAt(const QList<QWidget *> &views, double y, QWidget *in);
// Whether a real press at every (x, y) of the overlay reaches expected: on a canvas the deepest
// widget there, while selecting the overlay itself. False for a point outside the overlay;
// true for no points.
bool allHit(const QList<double> &xs, double y, OverlayView *overlay, QWidget *expected);

// ---- The items of a canvas's markup
QList<Item> texts(const CanvasController *controller);
QList<Item> arrows(const ItemList &items);
// The text items that belong to an arrow (free text left out).
QList<Item> arrowComments(const ItemList &items);
QList<Item> redactions(const ItemList &items);
std::optional<Item> lastItem(const ItemList &items);
// The first text item that reads "a plain click makes text".
std::optional<Item> plainClickText(const ItemList &items);
// Whether some text item reads "Here".
bool hasHereText(const ItemList &items);
// The arrow's comment's text, or "none".
QString noteText(const CanvasController *controller, const QUuid &arrowID);
// The item's text, or "gone" when there is no id or no such item.
QString itemText(const CanvasController *controller, const std::optional<QUuid> &id);
// The item's text (or "none") followed by " at " and its anchor (or "none").
QString describeItem(const std::optional<Item> &item);
bool itemGone(const CanvasController *controller, const QUuid &id);

// ---- The history and the rail's rows
// The history ids of the rows that are earlier captures, in order.
QStringList recentIDs(const QList<RailRow> &rows);
// Whether every id is a history entry's (true for none; false against an empty history).
bool allInRecents(const QStringList &ids);
// Whether no earlier-capture row is still shown by the canvas or still in the history.
bool noneInRecents(const QList<RailRow> &rows, const CanvasController *controller);

// ---- Lists
template <class T>
std::optional<T> lastOf(const QList<T> &list)
{
    return list.isEmpty() ? std::nullopt : std::optional<T>(list.last());
}
// Newest first; equal dates keep their order.
void sortDates(QList<QDateTime> &dates);
// Whether every frame is exactly 96 points wide (true for none).
bool allWidth(const QList<QRectF> &frames);
// Whether the lists hold the same objects position by position up to the end of the shorter one.
template <class T>
bool sameObjects(const QList<T *> &a, const QList<T *> &b)
{
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a.at(i) != b.at(i))
            return false;
    return true;
}

} // namespace Autopilot
