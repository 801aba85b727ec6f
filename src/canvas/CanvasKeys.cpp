// The canvas's keys: letters arm tools, digits pick colours, brackets step the size, arrows nudge
// or move in the rail, Escape disarms, deselects and then closes; the Ctrl keys of the commands.
#include "canvas/CanvasController.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "document/RailGrid.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QKeyEvent>

#include <algorithm>

namespace {
bool isArrowKey(const std::optional<int> &code)
{
    return code == KeyCode::Left || code == KeyCode::Right || code == KeyCode::Up || code == KeyCode::Down;
}

// The key's character as the key rules compare it: lower-cased, without the modifiers.
QString keyCharacter(const QKeyEvent *event)
{
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return QString(QChar(key)).toLower();
    return event->text().toLower();
}
} // namespace

bool CanvasController::keyDown(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods.testFlag(Qt::ControlModifier))
        return keyEquivalent(event);
    const bool shift = mods.testFlag(Qt::ShiftModifier), option = mods.testFlag(Qt::AltModifier),
               control = mods.testFlag(Qt::MetaModifier);
    const bool busy = shift || option || editing;
    const bool shiftOnly = shift && !control && !option;
    const std::optional<int> code = KeyTable::fromQtKey(event->key(), mods);
    const bool railShown = rail && !rail->isHidden();
    const int railColumns = RailGrid::columns(railAsked, railThumb, railRoom()).columns;
    const bool sideways = code == KeyCode::Left || code == KeyCode::Right;
    const bool upDown = code == KeyCode::Up || code == KeyCode::Down;
    const bool railSides = sideways && railShown && railColumns >= 2 && !busy && selection.isEmpty() && !selectedShot
                           && !lastCropHandle;
    const bool railPicks = shiftOnly && !editing && railShown && (upDown || (sideways && railColumns >= 2))
                           && selection.isEmpty() && !selectedShot && (railFocused || !lastCropHandle);
    const bool keepsRail = code == KeyCode::Delete || code == KeyCode::ForwardDelete || code == KeyCode::Escape || upDown;
    if (!keepsRail && !railSides && !railPicks) {
        railFocused = false;
        rail->clearPicks();
    }

    if (code == KeyCode::Return || code == KeyCode::KeypadEnter) {
        if (session)
            session->copy();
        return true;
    }
    if (code == KeyCode::Escape) {
        if (armed) {
            armed.reset();
        } else if (!selection.isEmpty() || selectedShot) {
            selection.clear();
            selectedShot.reset();
        } else if (!rail->picked().isEmpty()) {
            rail->clearPicks();
        } else {
            closeCanvas();
            return true;
        }
        refresh(false);
        return true;
    }
    if (code == KeyCode::Delete || code == KeyCode::ForwardDelete) {
        if (railFocused && selection.isEmpty() && !selectedShot)
            deleteRailPicks();
        else
            deleteSelection();
        return true;
    }
    if (code == KeyCode::Space) {
        if (event->isAutoRepeat())
            return true;
        spaceHeld = true;
        isPanning = true;
        updateHover();
        return true;
    }
    if (railSides || (upDown && !busy)) {
        if (railStep(*code))
            railFocused = true;
        return true;
    }
    if (railPicks) {
        const RailGrid::Move move = code == KeyCode::Left    ? RailGrid::Move::left
                                    : code == KeyCode::Right ? RailGrid::Move::right
                                    : code == KeyCode::Up    ? RailGrid::Move::up
                                                             : RailGrid::Move::down;
        if (rail->moveLead(move))
            railFocused = true;
        else
            beep();
        return true;
    }
    if (isArrowKey(code)) {
        nudge(*code, shift);
        return true;
    }

    const QString c = keyCharacter(event);
    if (c.size() == 1 && c[0] >= QLatin1Char('1') && c[0] <= QLatin1Char('6')) {
        perform(ToolbarAction::pickColor(c[0].unicode() - '1'));
        return true;
    }
    if (c == QLatin1String("[") || c == QLatin1String("]")) {
        stepSize(c == QLatin1String("[") ? -1 : 1);
        return true;
    }
    if (c == QLatin1String("f")) {
        flipArrow();
        return true;
    }
    if (c == QLatin1String("t") || c == QLatin1String("r") || c == QLatin1String("b")) {
        endEditing();
        const Tool t = c == QLatin1String("t") ? Tool::text : c == QLatin1String("r") ? Tool::box : Tool::redaction;
        if (armed == t)
            armed.reset();
        else
            armed = t;
        updateToolbar();
        return true;
    }
    if (c == QLatin1String("a")) {
        endEditing();
        armed.reset();
        updateToolbar();
        return true;
    }
    return false;
}

bool CanvasController::keyEquivalent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (!mods.testFlag(Qt::ControlModifier) || mods.testFlag(Qt::MetaModifier))
        return false;
    const bool shift = mods.testFlag(Qt::ShiftModifier);
    const std::optional<int> code = KeyTable::fromQtKey(event->key(), mods);
    const QString c = keyCharacter(event);
    if (code == KeyCode::Return || code == KeyCode::KeypadEnter) {
        endEditing();
        if (session)
            session->send();
        return true;
    }
    // The text being edited takes select all, cut, paste (as plain text) and copy of its text;
    // copy with no text selected copies the picture.
    if (TextItemView *view = editing; view && !shift) {
        if (c == QLatin1String("a")) {
            QTextCursor all(view->document());
            all.select(QTextCursor::Document);
            view->setTextCursor(all);
            return true;
        }
        if (c == QLatin1String("x")) {
            view->copySelection(true);
            return true;
        }
        if (c == QLatin1String("v")) {
            view->insertPlainText(QGuiApplication::clipboard()->text());
            return true;
        }
        if (c == QLatin1String("c") && view->copySelection(false))
            return true;
    }
    if ((code == KeyCode::Up || code == KeyCode::Down) && !editing) {
        railStep(*code);
        railFocused = true;
        return true;
    }
    if ((code == KeyCode::Left || code == KeyCode::Right) && !editing && rail && !rail->isHidden()
        && RailGrid::columns(railAsked, railThumb, railRoom()).columns >= 2) {
        railStep(*code);
        railFocused = true;
        return true;
    }
    if (c == QLatin1String("z")) {
        if (shift)
            redo();
        else
            undo();
        return true;
    }
    if (c == QLatin1String("c")) {
        if (session)
            session->copy();
        return true;
    }
    if (c == QLatin1String("s")) {
        if (session)
            session->save();
        return true;
    }
    if (c == QLatin1String("d")) {
        duplicateSelection();
        return true;
    }
    if (c == QLatin1String("n")) {
        perform(ToolbarAction::plain(ToolbarAction::addShot));
        return true;
    }
    if (c == QLatin1String("v")) {
        paste(generalPasteboard());
        return true;
    }
    if (c == QLatin1String("w")) {
        closeCanvas();
        return true;
    }
    if (c == QLatin1String("a")) {
        selectAll();
        return true;
    }
    if (c == QLatin1String("0")) {
        zoomToFit();
        return true;
    }
    if (c == QLatin1String("1")) {
        zoomToActualSize();
        return true;
    }
    if (event->key() == Qt::Key_Equal || event->key() == Qt::Key_Plus) {
        zoomBy(1.25);
        return true;
    }
    if (event->key() == Qt::Key_Minus) {
        zoomBy(0.8);
        return true;
    }
    return false;
}

// ---- edits of the selection ----

bool CanvasController::hasItem(const QUuid &id) const
{
    return markup.item(id).has_value();
}

void CanvasController::deleteSelection()
{
    const Markup before = markup;
    if (!selection.isEmpty()) {
        markup.removeItems(selection);
        selection.clear();
    } else if (selectedShot) {
        markup.removeShot(*selectedShot);
        selectedShot.reset();
    } else {
        return;
    }
    recordUndo(before);
    refresh(false);
}

void CanvasController::restyle(const std::function<void(Item &)> &change)
{
    if (editing) {
        markup.updateItems({editing->itemID()}, change);
    } else if (!selection.isEmpty()) {
        const Markup before = markup;
        markup.updateItems(selection, change);
        recordUndo(before);
    }
    refresh(false);
}

void CanvasController::stepSize(int delta)
{
    int current = size;
    if (editing) {
        if (const auto item = markup.item(editing->itemID()))
            current = item->size;
    } else if (const auto item = singleSelectedItem()) {
        current = item->size;
    }
    size = std::clamp(current + delta, 0, 3);
    Prefs::store().setValue(QStringLiteral("style.size"), size);
    restyle([delta](Item &item) {
        const int old = std::clamp(item.size, 0, 3);
        const int now = std::clamp(old + delta, 0, 3);
        if (item.kind == ItemKind::text)
            item.width = std::round(item.width * Item::sizeScales[std::size_t(now)] / Item::sizeScales[std::size_t(old)]);
        item.size = now;
    });
}

void CanvasController::flipArrow()
{
    std::optional<QUuid> target;
    if (const auto item = singleSelectedItem(); item && item->kind == ItemKind::arrow)
        target = item->id;
    for (qsizetype i = markup.items.size() - 1; !target && i >= 0; --i) {
        if (markup.items.at(i).kind == ItemKind::arrow)
            target = markup.items.at(i).id;
    }
    if (!target)
        return;
    endEditing();
    const Markup before = markup;
    markup.reverseArrow(*target);
    recordUndo(before);
    refresh(false);
}

void CanvasController::duplicateSelection()
{
    if (selection.isEmpty())
        return;
    const Markup before = markup;
    const double d = 16 * markup.unit;
    selection = markup.duplicateItems(selection, d, d);
    recordUndo(before);
    refresh(false);
}

void CanvasController::selectAll()
{
    endEditing();
    selection.clear();
    for (const Item &item : markup.items)
        selection.insert(item.id);
    refresh(false);
}

bool CanvasController::railStep(int keyCode)
{
    return stepRail(keyCode == KeyCode::Left    ? RailGrid::Move::left
                    : keyCode == KeyCode::Right ? RailGrid::Move::right
                    : keyCode == KeyCode::Up    ? RailGrid::Move::up
                                                : RailGrid::Move::down);
}

void CanvasController::beep()
{
    ++beepsForTest;
    QApplication::beep();
}
