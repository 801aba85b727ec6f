// Spoken words into a comment: the spoken place of one utterance, the comment it writes into,
// and where the listening badge sits.
#include "canvas/CanvasController.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "document/SpokenText.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

void CanvasController::talkStarted()
{
    SpokenPlace place;
    if (editing)
        place.editingAtStart = editing->itemID();
    spoken = place;
}

void CanvasController::talkHeard(const QString &words)
{
    if (!spoken)
        return;
    spoken->words = words;
    applySpokenWords();
}

void CanvasController::giveUpSpoken()
{
    spoken.reset();
    if (talk)
        talk->cancel();
}

bool CanvasController::chooseSpokenTarget()
{
    if (spoken->words.trimmed().isEmpty()) {
        // Nothing said yet: wait for more words, or, once speech has ended, make nothing.
        if (spoken->ended && drag.kind == DragKind::none)
            spoken.reset();
        return false;
    }
    // A gesture in progress: its mouse-up applies the words.
    if (drag.kind != DragKind::none)
        return false;
    const bool untouchedNewComment = editing && editing->placeholder() && editing->isBlank();
    if (editing && !(untouchedNewComment && spoken->pointed && hoverPoint)) {
        const QTextCursor caret = editing->textCursor();
        spoken->view = editing;
        spoken->start = caret.selectionStart();
        spoken->length = caret.selectionEnd() - caret.selectionStart();
        spoken->made = spoken->editingAtStart != editing->itemID();
        return true;
    }
    // A new comment: at the pointer when it is over the canvas, else beside the newest shot.
    endEditing();
    if (hoverPoint) {
        selection.clear();
        const Markup before = markup; // a copy: placing the text changes markup
        placeText(TextSide::right, std::nullopt, *hoverPoint, before);
    } else {
        openNoteForNewShot();
    }
    if (!editing) {
        giveUpSpoken();
        return false;
    }
    spoken->view = editing;
    spoken->made = true;
    return true;
}

void CanvasController::applySpokenWords()
{
    if (!spoken)
        return;
    if (!spoken->view && !chooseSpokenTarget())
        return;
    TextItemView *view = spoken->view;
    if (!view || view != editing) {
        giveUpSpoken();
        return;
    }

    // Each version of the words replaces the range the previous one took.
    const QString s = view->string();
    const int start = std::min(spoken->start, int(s.size()));
    const QString text = SpokenText::append(spoken->words, s.left(start));
    const int length = std::min(spoken->length, int(s.size()) - start);
    if (s.mid(start, length) != text) {
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        view->insertPlainText(text);
    }
    spoken->start = start;
    spoken->length = int(text.size());
    if (!spoken->ended)
        return;

    const SpokenPlace place = *spoken;
    spoken.reset();
    if (!place.made)
        return;
    // A comment made by talking alone: one sentence loses its full stop; then it closes.
    const QString whole = view->string();
    if (place.start == 0 && place.length == whole.size()) {
        const QString tidy = SpokenText::tidy(whole);
        if (tidy != whole) {
            QTextCursor cursor = view->textCursor();
            cursor.select(QTextCursor::Document);
            view->setTextCursor(cursor);
            view->insertPlainText(tidy);
        }
    }
    endEditing();
}

QRectF CanvasController::spokenBox(const TextItemView *view) const
{
    const double scale = markup.unit * view->item().scaled(1);
    QRectF box = view->lineRect().adjusted(-9 * scale, -6 * scale, 9 * scale, 6 * scale);
    if (const QGraphicsItem *parent = view->parentItem())
        box = parent->mapRectToScene(box);
    if (!host || !scrollView)
        return box;
    const QPointF topLeft = scrollView->mapTo(host.data(), scrollView->viewPoint(box.topLeft()));
    const QPointF bottomRight = scrollView->mapTo(host.data(), scrollView->viewPoint(box.bottomRight()));
    return QRectF(topLeft, bottomRight);
}

CanvasController::BadgeAnchor CanvasController::talkBadgeAnchor() const
{
    if (spoken && spoken->view && spoken->view == editing)
        return spokenBox(editing);
    if (hoverPoint) {
        if (!host || !scrollView)
            return *hoverPoint;
        return scrollView->mapTo(host.data(), scrollView->viewPoint(*hoverPoint));
    }
    if (editing)
        return spokenBox(editing);
    return std::monostate();
}

QRectF CanvasController::editingBoxFrame() const
{
    return editing ? spokenBox(editing) : QRectF();
}
