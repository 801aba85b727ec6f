#include "canvas/TextItemView.h"

#include "app/Toast.h"
#include "export/TextLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGraphicsScene>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleHints>
#include <QTextBlock>
#include <QStyleOptionGraphicsItem>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double narrowestContainer = 10;
constexpr double placeholderAlpha = 0.55;
constexpr double placeholderBackAlpha = 0.6;

// Line and paragraph separators of pasted or dropped text as plain line breaks.
QString plainLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    text.replace(QChar::LineSeparator, QChar('\n'));
    text.replace(QChar::ParagraphSeparator, QChar('\n'));
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

bool isCommandKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
        return true;
    default:
        return false;
    }
}

// The keys an edited text uses itself: no window or application shortcut may take them.
bool isEditingKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const int key = event->key();
    if (mods == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_A:
        case Qt::Key_C:
        case Qt::Key_X:
        case Qt::Key_V:
        case Qt::Key_Z:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return true;
        default:
            return false;
        }
    }
    if (mods != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}
} // namespace

TextItemView::TextItemView(const Item &item, QGraphicsItem *parent)
    : QGraphicsTextItem(parent), m_itemID(item.id), m_item(item)
{
    QTextDocument *doc = document();
    Item container = item;
    container.width = std::max(item.width, narrowestContainer);
    TextLayout::configure(*doc, container, m_scale);
    doc->setUndoRedoEnabled(false);
    doc->setPlainText(Item::cappedString(item.string));
    updateWrap();
    setTextWidth(container.width);
    setTextInteractionFlags(Qt::NoTextInteraction);
    // The text layout would draw the caret inverting what lies under it (black on a white
    // plate); the view draws it itself, in the text's colour.
    doc->documentLayout()->setProperty("cursorWidth", 0);
    m_blink.setInterval(std::max(QGuiApplication::styleHints()->cursorFlashTime() / 2, 1));
    connect(&m_blink, &QTimer::timeout, this, [this] {
        m_caretOn = !m_caretOn;
        update();
    });
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptDrops(false);
    connect(doc, &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { capEdit(position, added); });
    connect(doc, &QTextDocument::contentsChanged, this, &TextItemView::contentsChanged);
}

void TextItemView::capEdit(int position, int added)
{
    if (m_applying || added <= 0)
        return;
    QTextDocument *doc = document();
    const qsizetype excess = qsizetype(doc->characterCount() - 1) - Item::longestString;
    if (excess <= 0)
        return;
    QTextCursor cut(doc);
    const int end = position + added;
    int from = int(std::max<qsizetype>(position, end - excess));
    // Never leave half of a surrogate pair behind.
    if (from > position && doc->characterAt(from - 1).isHighSurrogate())
        --from;
    cut.setPosition(from);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    toast(QStringLiteral("A text holds at most 65,536 characters: the rest was left out"), 2.5);
}

void TextItemView::updateWrap()
{
    QTextDocument *doc = document();
    const QTextOption::WrapMode mode = TextLayout::wrapMode(doc->toRawText());
    QTextOption option = doc->defaultTextOption();
    if (option.wrapMode() == mode)
        return;
    option.setWrapMode(mode);
    doc->setDefaultTextOption(option);
}

double TextItemView::line() const
{
    return TextLayout::lineHeight(TextLayout::font(m_item, m_scale));
}

void TextItemView::apply(const Item &item, double scale)
{
    const QString shown = string();
    bool restyle = item.color != m_item.color || item.font != m_item.font || scale != m_scale
                   || item.side != m_item.side || !m_styled || shown.isEmpty();
    if (!restyle && !m_isEditing)
        restyle = shown != item.string;
    m_item = item;
    m_scale = scale;
    if (!m_isEditing && shown != item.string) {
        m_applying = true;
        document()->setPlainText(Item::cappedString(item.string));
        m_applying = false;
        updateWrap();
    }
    if (restyle)
        applyStyle();
    if (textWidth() != item.width)
        setTextWidth(std::max(item.width, 0.0));
    place();
}

void TextItemView::applyStyle()
{
    m_styled = true;
    QTextDocument *doc = document();
    const QFont font = TextLayout::font(m_item, m_scale);
    doc->setDefaultFont(font);
    QTextOption option = doc->defaultTextOption();
    option.setAlignment(TextLayout::alignment(m_item.side));
    doc->setDefaultTextOption(option);
    // One style for the whole text: the document's defaults, with no formats of its own.
    if (!doc->isEmpty()) {
        m_applying = true;
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        all.setCharFormat(QTextCharFormat());
        QTextBlockFormat block;
        all.setBlockFormat(block);
        m_applying = false;
    }
    setDefaultTextColor(TextLayout::color(m_item));
    setFont(font);
    update();
}

void TextItemView::place()
{
    prepareGeometryChange();
    const double l = line();
    const QRectF used = TextLayout::usedRect(*document());
    const double h = std::max(l, std::ceil(used.isNull() ? 0 : used.height()));
    const QPointF at = TextLayout::origin(m_item, m_scale, l, h);
    m_placed = at;
    m_size = QSizeF(m_item.width, h);
    setPos(at);
}

QRectF TextItemView::boundingRect() const
{
    const QRectF own = QGraphicsTextItem::boundingRect();
    return own.united(QRectF(QPointF(), m_size));
}

QRectF TextItemView::textRect() const
{
    const QPointF origin = m_placed.value_or(pos());
    const double width = m_size.isEmpty() ? textWidth() : m_size.width();
    const QRectF frame(origin, QSizeF(width, std::max(m_size.height(), line())));
    return TextLayout::textRect(m_item.side, frame, TextLayout::usedRect(*document()), line());
}

QRectF TextItemView::lineRect() const
{
    QRectF frame(pos(), m_size);
    frame.setHeight(std::max(frame.height(), line()));
    return frame;
}

void TextItemView::placeCaret(QPointF point)
{
    if (!parentItem() && !scene())
        return;
    QPointF p = mapFromParent(point);
    const QRectF bounds(QPointF(), m_size.isEmpty() ? QGraphicsTextItem::boundingRect().size() : m_size);
    p.setX(std::clamp(p.x(), 0.0, bounds.width()));
    p.setY(std::clamp(p.y(), 0.0, bounds.height()));
    int index = document()->documentLayout()->hitTest(p, Qt::FuzzyHit);
    index = std::clamp(index, 0, int(string().size()));
    QTextCursor cursor(document());
    cursor.setPosition(index);
    setTextCursor(cursor);
}

bool TextItemView::isBlank() const
{
    return string().trimmed().isEmpty();
}

QString TextItemView::string() const
{
    return document()->toPlainText();
}

void TextItemView::setPlaceholder(const std::optional<QString> &text)
{
    if (text == m_placeholder)
        return;
    m_placeholder = text;
    update();
}

QRectF TextItemView::caretRect() const
{
    const QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const QTextLayout *layout = block.layout();
    if (!layout)
        return {};
    const int at = cursor.position() - block.position();
    QTextLine line = layout->lineForTextPosition(at);
    if (!line.isValid() && layout->lineCount() > 0)
        line = layout->lineAt(layout->lineCount() - 1);
    const double lineHeight = line.isValid() ? line.height() : this->line();
    const double x = line.isValid() ? line.cursorToX(at) : 0;
    const double y = line.isValid() ? line.y() : 0;
    return QRectF(layout->position() + QPointF(x - 1, y), QSizeF(2, lineHeight));
}

void TextItemView::showCaret()
{
    if (!m_isEditing)
        return;
    m_caretOn = true;
    if (QGuiApplication::styleHints()->cursorFlashTime() > 0)
        m_blink.start();
    update();
}

void TextItemView::setEditing(bool editing)
{
    m_isEditing = editing;
    if (editing) {
        showCaret();
    } else {
        m_blink.stop();
        m_caretOn = false;
    }
    // The scene moves the focus on Tab before the focused item sees it; an edited text takes
    // its Tab itself.
    if (scene()) {
        if (editing)
            scene()->installEventFilter(this);
        else
            scene()->removeEventFilter(this);
    }
    setTextInteractionFlags(editing ? Qt::TextEditorInteraction : Qt::NoTextInteraction);
    setAcceptedMouseButtons(editing ? (Qt::LeftButton | Qt::MiddleButton) : Qt::NoButton);
    setAcceptDrops(editing);
    if (!editing) {
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        setTextCursor(cursor);
        clearFocus();
    }
    update();
}

void TextItemView::insertPlainText(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(plainLines(text), QTextCharFormat());
    setTextCursor(cursor);
}

bool TextItemView::copySelection(bool cut)
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return false;
    QString text = cursor.selectedText();
    QGuiApplication::clipboard()->setText(plainLines(text));
    if (cut) {
        cursor.removeSelectedText();
        setTextCursor(cursor);
    }
    return true;
}

void TextItemView::contentsChanged()
{
    if (m_applying)
        return;
    updateWrap();
    if (m_placeholder && !string().isEmpty()) {
        m_placeholder.reset();
        update();
    }
    if (m_isEditing)
        emit textEdited();
}

// ---- events ----

bool TextItemView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == scene() && m_isEditing && hasFocus() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QGraphicsTextItem::eventFilter(watched, event);
}

bool TextItemView::sceneEvent(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && m_isEditing) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isEditingKey(key)) {
            key->accept();
            return true;
        }
    }
    return QGraphicsTextItem::sceneEvent(event);
}

void TextItemView::keyPressEvent(QKeyEvent *event)
{
    showCaret();
    if (onKey)
        onKey();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::MetaModifier) && onKeyEquivalent
        && onKeyEquivalent(event)) {
        event->accept();
        return;
    }
    if (isCommandKey(event->key()) && !mods.testFlag(Qt::ControlModifier)) {
        Command command = Command::insertNewline;
        switch (event->key()) {
        case Qt::Key_Backspace:
            command = Command::deleteBackward;
            break;
        case Qt::Key_Delete:
            command = Command::deleteForward;
            break;
        case Qt::Key_Escape:
            command = Command::cancel;
            break;
        case Qt::Key_Tab:
            command = Command::insertTab;
            break;
        default:
            break;
        }
        if (onCommand && onCommand(command, event)) {
            event->accept();
            return;
        }
        // The text item would put a line separator for Shift+Return and a tab character for
        // Tab; a plain text takes a plain line break and no tab.
        if (command == Command::insertNewline) {
            insertPlainText(QStringLiteral("\n"));
            event->accept();
            return;
        }
        if (command == Command::insertTab || command == Command::cancel) {
            event->accept();
            return;
        }
    }
    QGraphicsTextItem::keyPressEvent(event);
}

void TextItemView::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    showCaret();
    // The middle button pastes the primary selection, as plain text.
    if (event->button() == Qt::MiddleButton && m_isEditing) {
        const int at = document()->documentLayout()->hitTest(event->pos(), Qt::FuzzyHit);
        QTextCursor cursor = textCursor();
        cursor.setPosition(std::clamp(at, 0, int(string().size())));
        setTextCursor(cursor);
        insertPlainText(QGuiApplication::clipboard()->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QGraphicsTextItem::mousePressEvent(event);
}

void TextItemView::dropEvent(QGraphicsSceneDragDropEvent *event)
{
    if (!m_isEditing || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const int at = document()->documentLayout()->hitTest(event->pos(), Qt::FuzzyHit);
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(at, 0, int(string().size())));
    setTextCursor(cursor);
    insertPlainText(event->mimeData()->text());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// ---- drawing ----

void TextItemView::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    // The canvas draws the edited text's box itself; the item's own focus frame stays off.
    QStyleOptionGraphicsItem plain(*option);
    plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    QGraphicsTextItem::paint(painter, &plain, widget);
    if (m_isEditing && m_caretOn && hasFocus() && !textCursor().hasSelection()) {
        // One screen pixel and a half wide at any zoom, in the text's colour.
        const QRectF caret = caretRect();
        const double w = 1.5 / std::max(painter->worldTransform().m11(), 1e-6);
        painter->fillRect(QRectF(caret.center().x() - w / 2, caret.top(), w, caret.height()), defaultTextColor());
    }
    if (!m_placeholder || !m_isEditing || !string().isEmpty())
        return;
    QTextLayout layout(*m_placeholder, TextLayout::font(m_item, m_scale), TextLayout::referenceDevice());
    layout.beginLayout();
    QTextLine l = layout.createLine();
    layout.endLayout();
    if (!l.isValid())
        return;
    const QSizeF s(l.naturalTextWidth(), l.height());
    const double w = m_size.isEmpty() ? textWidth() : m_size.width();
    double x = 0;
    if (m_item.side == TextSide::left)
        x = w - s.width();
    else if (m_item.side == TextSide::above || m_item.side == TextSide::below)
        x = (w - s.width()) / 2;
    painter->save();
    QColor back = QGuiApplication::palette().color(QPalette::Highlight);
    back.setAlphaF(placeholderBackAlpha);
    painter->setPen(Qt::NoPen);
    painter->setBrush(back);
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF under = QRectF(QPointF(x, 0), s).adjusted(-4 * m_scale, -1, 4 * m_scale, 1);
    painter->drawRoundedRect(under, 3 * m_scale, 3 * m_scale);
    QColor ink = TextLayout::color(m_item);
    ink.setAlphaF(placeholderAlpha);
    painter->setPen(ink);
    layout.draw(painter, QPointF(x, 0));
    painter->restore();
}
