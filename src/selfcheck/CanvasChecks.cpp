#include "CanvasChecks.h"

#include "Autopilot.h"
#include "Detail.h"
#include "Lookups.h"
#include "ScriptedInput.h"
#include "TalkStage.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/ShapeLayers.h"
#include "canvas/TextItemView.h"
#include "capture/OverlayView.h"
#include "history/Recents.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"

#include <QKeyEvent>

#include <cmath>

namespace Autopilot {
namespace {

using Flags = Qt::KeyboardModifiers;

// The scripted hand on the canvas: its point-level pointer handlers, keys and typing.
struct CanvasHand
{
    CanvasController *canvas;

    void drag(QPointF from, QPointF to, quint64 flags = 0) const { Autopilot::drag(canvas, from, to, flags); }
    // A drag through the listed points one by one, pressed at the first, released at the last.
    void handDrag(const QList<QPointF> &points, Flags flags = {}) const
    {
        canvas->mouseDown(flags, 1, points.first());
        for (qsizetype i = 1; i < points.size(); ++i)
            canvas->mouseDragged(flags, points.at(i));
        canvas->mouseUp(flags, points.last());
    }
    void click(QPointF p, Flags flags = {}) const
    {
        canvas->mouseDown(flags, 1, p);
        canvas->mouseUp(flags, p);
    }
    void type(const QString &text) const
    {
        if (canvas->editing)
            canvas->editing->insertPlainText(text);
    }
    void endEdit() const { canvas->endEditing(); }
    void key(int keyCode, const QString &characters, quint64 flags = 0) const
    {
        const auto event = keyEvent(keyCode, characters, flags);
        if (flags & EventFlag::Command)
            canvas->keyEquivalent(event.get());
        else
            canvas->keyDown(event.get());
    }
    void deselect() const
    {
        canvas->selection.clear();
        canvas->refresh(false);
    }
};

std::optional<Item> lastArrow(const CanvasController *canvas) { return lastOf(arrows(canvas->markup.items)); }

int countOf(const CanvasController *canvas, ItemKind kind)
{
    return int(std::count_if(canvas->markup.items.begin(), canvas->markup.items.end(),
                             [kind](const Item &item) { return item.kind == kind; }));
}

int itemCount(const CanvasController *canvas) { return int(canvas->markup.items.size()); }

std::optional<RGB> outlineOf(const CanvasController *canvas, const std::optional<Item> &item)
{
    if (!item)
        return std::nullopt;
    const auto found = canvas->shapes.find(item->id);
    return found != canvas->shapes.end() && found->second ? found->second->outline : std::nullopt;
}

QString colourText(const std::optional<RGB> &colour)
{
    if (!colour)
        return QStringLiteral("none");
    auto byte = [](double v) { return int(std::lround(v * 255)); };
    return Detail::text(QList<int>{byte(colour->r), byte(colour->g), byte(colour->b)});
}

QString selectionCount(const CanvasController *canvas) { return Detail::text(int(canvas->selection.size())); }

// Arrows into and out of the shot, their comments, colours, free text and the angle snap.
void arrowChecks(const CanvasHand &hand)
{
    CanvasController *c = hand.canvas;
    hand.drag(QPointF(60, 420), QPointF(335, 372));
    hand.type(QStringLiteral("make this 8px taller"));
    hand.endEdit();
    {
        const std::optional<QPointF> head = lastArrow(c) ? std::optional<QPointF>(lastArrow(c)->head) : std::nullopt;
        check(QStringLiteral("white space to shot keeps its direction"), head == QPointF(335, 372),
              [head] { return Detail::text(head); });
    }
    hand.drag(QPointF(830, 230), QPointF(1110, 140));
    hand.type(QStringLiteral("wrong font here"));
    hand.endEdit();
    check(QStringLiteral("an arrow drawn the wrong way points at the shot"),
          lastArrow(c) && lastArrow(c)->head == QPointF(830, 230));

    hand.drag(QPointF(630, -40), QPointF(630, 78));
    hand.type(QStringLiteral("header too red"));
    hand.endEdit();
    {
        const std::optional<RGB> outline = outlineOf(c, lastArrow(c));
        check(QStringLiteral("red on red gets a white outline"), outline == RGB::white(),
              [outline] { return colourText(outline); });
    }

    Preferences &prefs = Prefs::store();
    c->color = 3;
    prefs.setValue(QStringLiteral("style.color"), 3);
    c->restyle([](Item &item) { item.color = 3; });
    hand.drag(QPointF(1230, 570), QPointF(1080, 510));
    hand.type(QStringLiteral("blue, both ends outside"));
    hand.endEdit();
    check(QStringLiteral("blue arrow is blue"), lastArrow(c) && lastArrow(c)->color == 3);
    c->color = 0;
    prefs.setValue(QStringLiteral("style.color"), 0);
    c->restyle([](Item &item) { item.color = 0; });

    hand.click(QPointF(360, 630));
    hand.type(QStringLiteral("a plain click makes text"));
    hand.endEdit();
    const int textCount = countOf(c, ItemKind::text);
    hand.drag(QPointF(30, -90), QPointF(90, -60));
    hand.endEdit();
    check(QStringLiteral("an arrow with no comment leaves no empty text"), countOf(c, ItemKind::text) == textCount);
    check(QStringLiteral("comments are linked to their arrows"), arrowComments(c->markup.items).size() == 4);

    hand.click(QPointF(300, 150));
    hand.type(QStringLiteral("on the shot"));
    hand.endEdit();
    {
        const std::optional<Item> last = lastOf(texts(c));
        const auto plate = last ? c->plates.constFind(last->id) : c->plates.constEnd();
        const QString word = plate == c->plates.constEnd() ? QStringLiteral("none")
                             : plate->color == RGB::white() ? QStringLiteral("white")
                                                            : QStringLiteral("dark");
        sink()(QStringLiteral("     comment on the shot: plate ") + word);
    }

    c->mouseDown({}, 1, QPointF(60, 700));
    c->mouseDragged({}, QPointF(100, 702));
    const QList<QPointF> shifted = {{120, 703.25}, {140, 704.5}, {160, 705.75}, {180, 707},
                                    {200, 708.25}, {220, 709.5}, {240, 710.75}, {260, 712}};
    for (const QPointF p : shifted)
        c->mouseDragged(Qt::ShiftModifier, p);
    c->mouseUp(Qt::ShiftModifier, QPointF(260, 712));
    hand.endEdit();
    {
        const std::optional<Item> arrow = lastArrow(c);
        check(QStringLiteral("Shift snaps the angle"), arrow && std::abs(arrow->tail.y() - arrow->head.y()) < 0.01,
              [arrow] {
                  return arrow ? Detail::text(arrow->tail) + QLatin1Char(' ') + Detail::text(arrow->head)
                               : QStringLiteral("none");
              });
    }
}

// Undo and redo while typing, boxes and redactions by modifier and by key.
void undoAndShapeChecks(const CanvasHand &hand)
{
    CanvasController *c = hand.canvas;
    const int before = itemCount(c);
    hand.handDrag({{1250, 200}, {1225, 200}, {1200, 200}, {1175, 200}, {1150, 200}, {1125, 200}, {1100, 200}});
    hand.type(QStringLiteral("about to undo"));
    hand.key(KeyCode::Z, QStringLiteral("z"), EventFlag::Command);
    check(QStringLiteral("undo while typing removes arrow and comment"), itemCount(c) == before,
          [&] { return Detail::versus(itemCount(c), before); });
    hand.key(KeyCode::Z, QStringLiteral("z"), EventFlag::Command | EventFlag::Shift);
    check(QStringLiteral("redo brings them back"), itemCount(c) == before + 2, [&] { return Detail::text(itemCount(c)); });
    hand.key(KeyCode::Z, QStringLiteral("z"), EventFlag::Command);

    hand.drag(QPointF(300, 300), QPointF(420, 380), EventFlag::Command);
    {
        const std::optional<Item> last = lastItem(c->markup.items);
        check(QStringLiteral("Command-drag makes a box"),
              last && last->kind == ItemKind::box && last->rect == QRectF(300, 300, 120, 80), [last] {
                  return last ? QString(last->kind.name()) + QLatin1Char(' ') + Detail::text(last->rect)
                              : QStringLiteral("none");
              });
    }
    hand.drag(QPointF(720, 120), QPointF(900, 200), EventFlag::Option);
    check(QStringLiteral("Option-drag makes a redaction"),
          lastItem(c->markup.items) && lastItem(c->markup.items)->kind == ItemKind::redaction);
    hand.key(KeyCode::B, QStringLiteral("b"));
    hand.drag(QPointF(950, 400), QPointF(1100, 500));
    const std::optional<Item> last = lastItem(c->markup.items);
    check(QStringLiteral("B then drag makes a redaction"), last && last->kind == ItemKind::redaction);
    const std::optional<QRectF> visible = last ? std::optional<QRectF>(c->markup.visibleRect(*last)) : std::nullopt;
    check(QStringLiteral("redaction is cut to the shot"), visible == QRectF(950, 400, 80, 60),
          [visible] { return Detail::text(visible); });
}

// Selecting, moving, the head alone, colour and size keys and flipping, on the first arrow.
void selectionChecks(const CanvasHand &hand)
{
    CanvasController *c = hand.canvas;
    hand.deselect();
    const QList<Item> all = arrows(c->markup.items);
    const QUuid first = all.isEmpty() ? QUuid() : all.first().id;
    auto arrow = [&] { return c->markup.item(first); };
    auto comment = [&] { return c->markup.note(first); };

    c->mouseDown({}, 1, QPointF(197, 396));
    check(QStringLiteral("a click on an arrow selects it with its comment"), c->selection.size() == 2,
          [&] { return selectionCount(c); });
    for (const QPointF p : QList<QPointF>{{202, 398}, {207, 400}, {212, 402}, {217, 404}, {222, 406}, {227, 408}})
        c->mouseDragged({}, p);
    c->mouseUp({}, QPointF(227, 408));
    {
        const std::optional<QPointF> tail = arrow() ? std::optional<QPointF>(arrow()->tail) : std::nullopt;
        const std::optional<QPointF> anchor = comment() ? std::optional<QPointF>(comment()->anchor) : std::nullopt;
        check(QStringLiteral("dragging moves arrow and comment together"),
              tail == QPointF(90, 432) && anchor == QPointF(90, 432),
              [=] { return Detail::text(tail) + QLatin1Char(' ') + Detail::text(anchor); });
    }

    const QPointF h = arrow() ? arrow()->head : QPointF();
    const QPointF moved = h + QPointF(40, -40);
    hand.handDrag({h, moved});
    check(QStringLiteral("the head can be dragged on its own"),
          arrow() && arrow()->head == moved && arrow()->tail == QPointF(90, 432), [&] {
              return arrow() ? Detail::text(arrow()->tail) + QStringLiteral(" -> ") + Detail::text(arrow()->head)
                             : QStringLiteral("none");
          });

    hand.key(KeyCode::Digit4, QStringLiteral("4"));
    check(QStringLiteral("a colour key recolours the selection"),
          arrow() && comment() && arrow()->color == 3 && comment()->color == 3);

    const double w = comment() ? comment()->width : 0;
    hand.key(KeyCode::RightBracket, QStringLiteral("]"));
    const double wanted = std::round(w * 1.4);
    check(QStringLiteral("] makes the selection larger"),
          arrow() && comment() && arrow()->size == 3 && std::abs(comment()->width - wanted) < 1);

    hand.key(KeyCode::F, QStringLiteral("f"));
    check(QStringLiteral("F flips the selected arrow"), arrow() && arrow()->tail == moved);
    hand.key(KeyCode::F, QStringLiteral("f"));
}

// Duplicating, Shift-click, Delete and undo, Escape, marquee selection and double-click editing.
void editingChecks(const CanvasHand &hand, const OverlayView *overlay)
{
    CanvasController *c = hand.canvas;
    hand.deselect();
    const int boxes = countOf(c, ItemKind::box);
    hand.handDrag({{300, 340}, {310, 340}, {320, 340}, {330, 340}, {340, 340}, {350, 340}, {360, 340}},
                  Qt::AltModifier);
    check(QStringLiteral("Option-drag on a box duplicates it"), countOf(c, ItemKind::box) == boxes + 1,
          [&] { return Detail::text(countOf(c, ItemKind::box)); });
    hand.click(QPointF(300, 340), Qt::ShiftModifier);
    check(QStringLiteral("Shift-click adds to the selection"), c->selection.size() == 2,
          [&] { return selectionCount(c); });

    const int count = itemCount(c);
    hand.key(KeyCode::Delete, QStringLiteral("\x7f"));
    check(QStringLiteral("Delete removes the selection"), itemCount(c) == count - 2);
    c->undo();
    check(QStringLiteral("undo brings them back"), itemCount(c) == count);

    hand.key(KeyCode::Escape, QStringLiteral("\x1b"));
    check(QStringLiteral("Escape clears the selection first"),
          c->selection.isEmpty() && overlay->stage() == OverlayView::Stage::Canvas && overlay->canvas() == c);

    hand.drag(QPointF(1200, 480), QPointF(1300, 600), EventFlag::Shift);
    check(QStringLiteral("Shift-drag on empty canvas selects what it touches"), c->selection.size() == 2,
          [&] { return selectionCount(c); });

    hand.deselect();
    const std::optional<Item> plain = plainClickText(c->markup.items);
    const std::optional<QRectF> frame = plain ? c->textFrame(plain->id) : std::nullopt;
    if (frame)
        c->mouseDown({}, 2, QPointF(frame->left() + 20, frame->center().y()));
    check(QStringLiteral("double-click opens a comment"), plain && c->editing && c->editing->itemID() == plain->id);
    hand.type(QStringLiteral(", edited"));
    hand.endEdit();
    const std::optional<QUuid> plainID = plain ? std::optional<QUuid>(plain->id) : std::nullopt;
    check(QStringLiteral("the edit is kept"), itemText(c, plainID) == QLatin1String("a plain click makes text, edited"),
          [&] { return itemText(c, plainID); });

    hand.click(QPointF(1150, 760));
    hand.type(QStringLiteral("הכפתור צריך להיות (blue)"));
    hand.endEdit();
}

} // namespace

QImage exportPicture(CanvasController *canvas)
{
    canvas->endEditing();
    return canvas->exportScene().render(ExportScene::halfSizePreferred(), std::nullopt, 16);
}

void canvasChecks(const Handover &handover)
{
    QPointer<OverlayView> overlay = handover.overlay;
    CanvasController *canvas = overlay ? dynamic_cast<CanvasController *>(overlay->canvas()) : nullptr;
    if (!canvas) {
        stageFailed(QStringLiteral("canvas opened"));
        return;
    }
    check(QStringLiteral("canvas opened"), true);
    const QRectF shot = canvas->markup.shotRect();
    check(QStringLiteral("the selection is the shot"), shot == QRectF(270, 60, 760, 400),
          [shot] { return Detail::text(shot); });

    const CanvasHand hand{canvas};
    arrowChecks(hand);
    undoAndShapeChecks(hand);
    selectionChecks(hand);
    editingChecks(hand, overlay);

    talkStage(canvas, overlay, handover.folder);
    // The picture shows every mark: the typing scrolled the view to the last comment.
    canvas->zoomToFit();
    writePicture(overlay, QStringLiteral("2-canvas"));

    QImage exported;
    if (!canvasExportChecks(canvas, overlay, exported))
        return;
    sink()(canvas->stateDump());

    const std::optional<QString> entry =
        Recents::save(canvas->markup, canvas->images, exported, std::nullopt, std::nullopt, std::nullopt,
                      std::nullopt, true);
    Handover on = handover;
    on.controller = canvas;
    on.exported = exported;
    on.entry = entry.value_or(QString());
    on.items = itemCount(canvas);
    Chain::next(3, on);
}

} // namespace Autopilot
