#pragma once
#include "document/Item.h"

#include <QGraphicsTextItem>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <optional>

class QKeyEvent;

// The text of one text item or comment on the canvas, edited in place. It lays its document out
// with the shared 72 dpi text rules, so that it wraps at the same words as the exported picture
// at every zoom. Idle, it takes no mouse button and no keys, and clicks reach the canvas under it;
// while edited it takes the keys, and turns the keys that end or leave editing into commands for
// its owner before the text item would act on them.
class TextItemView : public QGraphicsTextItem
{
    Q_OBJECT
public:
    // What a key asks of the owner instead of its default edit.
    enum class Command { insertNewline, deleteBackward, deleteForward, cancel, insertTab };

    // The only way to make one: the view of item, placed once apply() has run.
    explicit TextItemView(const Item &item, QGraphicsItem *parent = nullptr);

    QUuid itemID() const { return m_itemID; }
    // The item as last given by apply().
    const Item &item() const { return m_item; }
    double scale() const { return m_scale; }
    bool isEditing() const { return m_isEditing; }
    // Where place() put the view's origin (parent coordinates); none before the first place().
    std::optional<QPointF> placed() const { return m_placed; }

    // The grey text shown while the text is empty and edited.
    std::optional<QString> placeholder() const { return m_placeholder; }
    void setPlaceholder(const std::optional<QString> &text);

    // Called before each key press is handled.
    std::function<void()> onKey;
    // Called first for each key press with Ctrl held; true when it used the key.
    std::function<bool(QKeyEvent *)> onKeyEquivalent;
    // Return, Enter, Backspace, Delete, Escape and Tab: true when the owner handled the command;
    // otherwise the view does its default.
    std::function<bool(Command, QKeyEvent *)> onCommand;

    // Gives the view the item's current value and text scale; while editing, the typed text stays.
    void apply(const Item &item, double scale);
    // Starts or ends the edited state: editable, selectable, focusable and taking the left and
    // middle mouse buttons only while edited.
    void setEditing(bool editing);
    // Places the view beside, above or below the item's anchor by its side.
    void place();

    // The laid-out text in parent coordinates, or a caret rect for an empty text.
    QRectF textRect() const;
    // The view's frame, at least one line high.
    QRectF lineRect() const;
    // Puts the caret at the character nearest a point in parent coordinates.
    void placeCaret(QPointF point);
    // The text is empty after trimming white space and line breaks.
    bool isBlank() const;
    // The text as plain text (UTF-16 positions as the cursor counts them).
    QString string() const;

    // Inserts text as plain text in the view's one style, in place of the selection.
    void insertPlainText(const QString &text);
    // Copies the selected text, or cuts it; false when nothing is selected.
    bool copySelection(bool cut);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

signals:
    // The text changed by an edit (typing, input methods, pastes, drops), not by apply().
    void textEdited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool sceneEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void dropEvent(QGraphicsSceneDragDropEvent *event) override;

private:
    void applyStyle();
    // Where the caret stands, in the view's coordinates (its middle is the caret's line).
    QRectF caretRect() const;
    // Shows the caret at once and restarts its blinking (after a move or a key).
    void showCaret();
    void contentsChanged();
    // Keeps an edit within Item::longestString, dropping the end of what it added.
    void capEdit(int position, int added);
    // The wrapping the text now asks for.
    void updateWrap();
    double line() const;

    QUuid m_itemID;
    Item m_item;
    double m_scale = 1;
    bool m_isEditing = false;
    bool m_styled = false;
    std::optional<QString> m_placeholder;
    std::optional<QPointF> m_placed;
    QSizeF m_size;        // the frame's size as place() made it
    bool m_applying = false;
    QTimer m_blink;       // the caret's blinking while edited
    bool m_caretOn = false;
};
