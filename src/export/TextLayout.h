#pragma once
#include "document/Item.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QTextOption>

#include <memory>

class QPainter;
class QPaintDevice;
class QTextDocument;

// The layout of one text item, shared by the canvas and the export so that a comment wraps at
// the same words everywhere: a QTextDocument laid out against a fixed 72 dpi reference device
// (1 pt = 1 document point), with design metrics, unhinted fonts and no margin. What it reports
// is in canvas points, whatever the zoom or the pixel density it is later drawn at.
class TextLayout
{
public:
    // A layout of the item's string at text scale `scale` (the unit times the item's size step).
    TextLayout(const Item &item, double scale);
    ~TextLayout();
    TextLayout(const TextLayout &) = delete;
    TextLayout &operator=(const TextLayout &) = delete;

    const Item &item() const { return m_item; }
    QUuid itemID() const { return m_item.id; }
    double scale() const { return m_scale; }
    QTextDocument *document() const { return m_document.get(); }

    // Where the text's frame starts: beside, above or below the anchor by the item's side.
    QPointF placed() const;
    // The frame: placed, the item's width wide, as high as the text but at least one line.
    QRectF frame() const;
    // The laid-out text in canvas points; for an empty text a caret rect 2 wide and one line
    // high on the side the text grows from.
    QRectF textRect() const;
    // The frame, at least one line high.
    QRectF lineRect() const { return frame(); }
    // Whether the text is empty after trimming white space and line breaks.
    bool isBlank() const;
    // Draws the text at placed(), in the painter's coordinates (canvas points).
    void draw(QPainter &painter) const;

    // --- The shared rules, for views that keep a document of their own.
    // The 72 dpi device every text is laid out against.
    static QPaintDevice *referenceDevice();
    // The font of a text item at a scale: Prefs::textFont without hinting.
    static QFont font(const Item &item, double scale);
    static QColor color(const Item &item);
    // The paragraph alignment of a side: left → right-aligned, right → left-aligned, above and
    // below → centred, aboveLeading → natural.
    static Qt::Alignment alignment(TextSide side);
    // Sets document up for the item: reference device, design metrics, margin 0, font,
    // alignment, wrapping at words (anywhere for a word longer than the line) and its width.
    static void configure(QTextDocument &document, const Item &item, double scale);
    // How a text wraps: at words, anywhere inside a word longer than the line; a text with a run
    // of more than longestWord characters without white space wraps anywhere, as laying out
    // such a run word by word costs time in proportion to its length for every line it fills.
    static QTextOption::WrapMode wrapMode(const QString &text);
    static constexpr qsizetype longestWord = 1000;
    // The text as it is laid out at a width: every word wider than the width is cut, at
    // grapheme boundaries, into pieces that fit, with a line separator (U+2028) between them.
    // Qt's own breaking of such a word costs time in proportion to the word's length for every
    // line it fills; ordinary text comes back as it is.
    static QString brokenText(const QString &text, const QFont &font, double width);
    // One line: the font's line spacing at the reference, rounded up.
    static double lineHeight(const QFont &font);
    // The union of the laid-out lines in document coordinates; a null rect when nothing is laid
    // out.
    static QRectF usedRect(const QTextDocument &document);
    // The origin of a frame of height h for the item (gap 10 × scale beside the anchor; a
    // beside-text's first line, of height line, centred on it).
    static QPointF origin(const Item &item, double scale, double line, double h);
    // The text's rect within a frame, from the union of its lines in document coordinates: the
    // lines moved to the frame, at least one line high; for an empty text (used narrower than 1)
    // a caret rect 2 wide and one line high on the side the text grows from.
    static QRectF textRect(TextSide side, const QRectF &frame, const QRectF &used, double line);

private:
    Item m_item;
    double m_scale;
    double m_line;
    std::unique_ptr<QTextDocument> m_document;
};
