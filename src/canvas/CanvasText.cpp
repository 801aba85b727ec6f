// Text editing on the canvas: new comments, opening a text for typing, following what is typed,
// the keys that end or leave editing, and lists continued on Shift+Return.
#include "canvas/CanvasController.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "document/NoteLayout.h"
#include "export/TextLayout.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace {
constexpr double narrowestComment = 20;
constexpr double gapPerScale = 10;
constexpr double roomBelowNewNote = 100;
} // namespace

double CanvasController::textScale(const std::optional<QUuid> &item) const
{
    int step = size;
    if (item) {
        if (const auto found = markup.item(*item))
            step = found->size;
    }
    return markup.unit * Item::sizeScales[std::size_t(std::clamp(step, 0, 3))];
}

std::optional<QRectF> CanvasController::textFrame(const QUuid &id) const
{
    const TextItemView *view = texts.value(id);
    if (!view)
        return std::nullopt;
    return textRectOf(view);
}

void CanvasController::addComment(TextSide side, const Markup &before, QPointF p, double width)
{
    const Markup start = before; // before may be markup itself, which changes below
    const double s = textScale(std::nullopt);
    QPointF anchor = p;
    if (side == TextSide::right) {
        const double line = TextLayout::lineHeight(Prefs::textFont(font, s));
        anchor = QPointF(p.x() - gapPerScale * s, p.y() + line / 2);
    }
    railFocused = false;
    if (rail)
        rail->clearPicks();
    const Item item = Item::noteAt(anchor, side, std::max(width, narrowestComment), font, color, size);
    markup.items.append(item);
    markup.pinNotes();
    refresh(false);
    if (TextItemView *view = texts.value(item.id))
        beginEditing(view, start);
}

void CanvasController::openNoteForNewShot()
{
    if (editing || markup.shots.isEmpty() || !scrollView)
        return;
    const QRectF shot = markup.shots.last().rect;
    const double s = markup.unit * Item::sizeScales[std::size_t(std::clamp(size, 0, 3))];
    QRectF visible = scrollView->visibleRect();
    const double z = scrollView->magnification();
    visible.setHeight(std::max(visible.height() - roomBelowNewNote / z, visible.height() / 2));
    const NoteLayout::Note note = NoteLayout::place(shot, visible, s);
    addComment(note.side, markup, note.corner, note.width);
}

void CanvasController::beginEditing(TextItemView *view, const Markup &before)
{
    editing = view;
    editBefore = before;
    view->setEditing(true);
    const QPointer<CanvasController> self(this);
    view->onKey = [self] {
        if (!self || self->controlsQuiet)
            return;
        self->controlsQuiet = true;
        self->controlHot.reset();
        self->updateChrome();
    };
    view->onCommand = [self](TextItemView::Command command, QKeyEvent *event) {
        return self && self->textViewCommand(command, event);
    };
    view->onKeyEquivalent = [self](QKeyEvent *event) { return self && self->keyEquivalent(event); };
    connect(view, &TextItemView::textEdited, this, &CanvasController::textChanged, Qt::UniqueConnection);
    view->setFocus(Qt::OtherFocusReason);
    if (scrollView)
        scrollView->setFocus(Qt::OtherFocusReason);
    hoveredText.reset();
    controlsQuiet = true;
    scrollEditingIntoView(view);
    updateChrome();
    updateToolbar();
}

void CanvasController::endEditing()
{
    TextItemView *view = editing;
    if (!view)
        return;
    editing = nullptr;
    const bool focused = view->hasFocus();
    view->setEditing(false);
    view->onKey = nullptr;
    view->onCommand = nullptr;
    view->onKeyEquivalent = nullptr;
    view->clearFocus();
    if (const auto index = markup.itemIndex(view->itemID())) {
        if (view->isBlank()) {
            markup.items.removeAt(*index);
            markup.pinNotes();
        } else {
            markup.items[*index].string = view->string();
        }
    }
    refresh(false);
    if (editBefore) {
        const Markup before = *editBefore;
        editBefore.reset();
        recordUndo(before);
    }
    if (focused)
        focusDocument();
}

void CanvasController::scrollEditingIntoView(TextItemView *view)
{
    if (!view || !scrollView)
        return;
    const double s = textScale(view->itemID());
    const double z = scrollView->magnification();
    QRectF r = view->lineRect().adjusted(-9 * s, -6 * s, 9 * s, 6 * s).united(view->textRect());
    r.adjust(-8 / z, -16 / z, 8 / z, 16 / z + 90 / z);
    const QRectF visible = scrollView->visibleRect();
    if (visible.contains(r))
        return;
    // The least scroll that brings r in (its top-left first when it is larger than the view).
    double dx = 0, dy = 0;
    if (r.width() > visible.width() || r.left() < visible.left())
        dx = r.left() - visible.left();
    else if (r.right() > visible.right())
        dx = r.right() - visible.right();
    if (r.height() > visible.height() || r.top() < visible.top())
        dy = r.top() - visible.top();
    else if (r.bottom() > visible.bottom())
        dy = r.bottom() - visible.bottom();
    scrollView->pan(-dx * z, -dy * z);
}

void CanvasController::textChanged()
{
    TextItemView *view = editing;
    if (!view)
        return;
    const auto index = markup.itemIndex(view->itemID());
    if (!index)
        return;
    markup.items[*index].string = view->string();
    refresh(false);
    scrollEditingIntoView(view);
}

bool CanvasController::textViewCommand(TextItemView::Command command, QKeyEvent *event)
{
    TextItemView *view = editing;
    if (!view)
        return false;
    switch (command) {
    case TextItemView::Command::insertNewline:
        if (event && event->modifiers().testFlag(Qt::ShiftModifier)) {
            continueList(view);
            return true;
        }
        endEditing();
        if (session) {
            if (event && event->modifiers().testFlag(Qt::ControlModifier))
                session->send();
            else
                session->copy();
        }
        return true;
    case TextItemView::Command::deleteBackward:
    case TextItemView::Command::deleteForward:
        return deleteEmptyComment(event);
    case TextItemView::Command::cancel:
        if (view->placeholder() && view->isBlank()) {
            endEditing();
            closeCanvas();
            return true;
        }
        endEditing();
        return true;
    case TextItemView::Command::insertTab:
        endEditing();
        return true;
    }
    return false;
}

bool CanvasController::deleteEmptyComment(QKeyEvent *event)
{
    TextItemView *view = editing;
    if (!view || !view->isBlank())
        return false;
    const auto item = markup.item(view->itemID());
    if (!item || !item->isComment() || !hasItem(*item->arrowID))
        return false;
    if (event && event->isAutoRepeat())
        return true;
    const Markup before = editBefore.value_or(markup);
    editBefore.reset();
    endEditing();
    markup.removeItems({*item->arrowID});
    selection.clear();
    recordUndo(before);
    refresh(false);
    return true;
}

std::optional<CanvasController::ListMarker> CanvasController::listMarker(const QString &line)
{
    static const QRegularExpression numbered(QStringLiteral("^(\\s*)(\\d+)([.)])(\\s+)(.*)$"),
                                             QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression bullet(QStringLiteral("^(\\s*)([-\u2022*])(\\s+)(.*)$"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    if (numbered.isValid()) {
        const QRegularExpressionMatch m = numbered.match(line);
        if (m.hasMatch()) {
            bool ok = false;
            const qlonglong n = m.captured(2).toLongLong(&ok);
            // The largest number has no successor: such a line is not continued as a list.
            if (ok && n < std::numeric_limits<qlonglong>::max())
                return ListMarker{m.captured(1) + QString::number(n + 1) + m.captured(3) + m.captured(4),
                                  !m.captured(5).trimmed().isEmpty()};
        }
    }
    if (bullet.isValid()) {
        const QRegularExpressionMatch m = bullet.match(line);
        if (m.hasMatch())
            return ListMarker{m.captured(1) + m.captured(2) + m.captured(3), !m.captured(4).trimmed().isEmpty()};
    }
    return std::nullopt;
}

void CanvasController::continueList(TextItemView *view)
{
    QTextCursor cursor = view->textCursor();
    const int start = cursor.selectionStart();
    const QTextBlock block = view->document()->findBlock(start);
    const QString line = block.text().left(start - block.position());
    const std::optional<ListMarker> marker = listMarker(line);
    if (marker && !marker->hasContent) {
        // A line holding only a marker ends the list: the marker goes, no line break.
        cursor.setPosition(block.position());
        cursor.setPosition(start, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        view->setTextCursor(cursor);
        return;
    }
    view->insertPlainText(QStringLiteral("\n") + (marker ? marker->marker : QString()));
}
