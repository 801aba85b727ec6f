#include "export/TextLayout.h"

#include "app/PreferenceReaders.h"
#include "document/Palette.h"
#include "export/ShapeRules.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QHash>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace {
constexpr double gapPerScale = 10;
constexpr double caretWidth = 2;
constexpr int dotsPerMeterAt72 = 2835; // 72 dpi
} // namespace

TextLayout::TextLayout(const Item &item, double scale)
    : m_item(item), m_scale(scale), m_document(std::make_unique<QTextDocument>())
{
    configure(*m_document, item, scale);
    // The canvas shows a text up to Item::longestString, and so does the picture.
    m_document->setPlainText(brokenText(Item::cappedString(item.string), m_document->defaultFont(), item.width));
    m_line = lineHeight(m_document->defaultFont());
}

TextLayout::~TextLayout() = default;

QPaintDevice *TextLayout::referenceDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(dotsPerMeterAt72);
        image.setDotsPerMeterY(dotsPerMeterAt72);
        return image;
    }();
    return &device;
}

QFont TextLayout::font(const Item &item, double scale)
{
    QFont f = Prefs::textFont(item.font, scale);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    return f;
}

QColor TextLayout::color(const Item &item)
{
    return ShapeRules::qColor(Palette::color(item.color));
}

Qt::Alignment TextLayout::alignment(TextSide side)
{
    switch (side) {
    case TextSide::left:
        return Qt::AlignRight;
    case TextSide::right:
        return Qt::AlignLeft;
    case TextSide::above:
    case TextSide::below:
        return Qt::AlignHCenter;
    case TextSide::aboveLeading:
        break;
    }
    return Qt::AlignLeading;
}

void TextLayout::configure(QTextDocument &document, const Item &item, double scale)
{
    document.documentLayout()->setPaintDevice(referenceDevice());
    document.setUseDesignMetrics(true);
    document.setDocumentMargin(0);
    document.setDefaultFont(font(item, scale));
    QTextOption option = document.defaultTextOption();
    option.setAlignment(alignment(item.side));
    option.setWrapMode(wrapMode(item.string));
    option.setUseDesignMetrics(true);
    document.setDefaultTextOption(option);
    document.setTextWidth(std::max(item.width, 0.0));
}

QTextOption::WrapMode TextLayout::wrapMode(const QString &text)
{
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longestWord)
            return QTextOption::WrapAnywhere;
    }
    return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

QString TextLayout::brokenText(const QString &text, const QFont &font, double width)
{
    if (width <= 0 || text.isEmpty())
        return text;
    const QFontMetricsF metrics(font, referenceDevice());
    const double widest = std::max(metrics.maxWidth(), 1.0);
    // A word of fewer characters than this fits whatever its characters are.
    const qsizetype surelyFits = std::max<qsizetype>(qsizetype(width / widest), 1);

    QString out;
    qsizetype copied = 0; // text before this is in out
    QHash<QStringView, double> advances;
    // Cuts one word (no break opportunity inside) at grapheme boundaries where it fills a line.
    const auto cut = [&](qsizetype start, qsizetype end) {
        const QStringView word = QStringView(text).mid(start, end - start);
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, word.data(), int(word.size()));
        double used = 0;
        qsizetype from = 0;
        for (qsizetype to = graphemes.toNextBoundary(); to > 0; to = graphemes.toNextBoundary()) {
            const QStringView cluster = word.mid(from, to - from);
            auto it = advances.constFind(cluster);
            if (it == advances.constEnd())
                it = advances.insert(cluster, metrics.horizontalAdvance(cluster.toString()));
            if (used > 0 && used + *it > width) {
                if (out.isEmpty())
                    out.reserve(text.size() + text.size() / 16);
                out += QStringView(text).mid(copied, start + from - copied);
                out += QChar(QChar::LineSeparator);
                copied = start + from;
                used = 0;
            }
            used += *it;
            from = to;
        }
    };
    // Only runs without white space that are long enough to overflow are looked at closely:
    // within one, the line-break rules may still allow breaks (after a hyphen, between
    // ideographs), and only the pieces between those are cut.
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        while (i < n && text.at(i).isSpace())
            ++i;
        const qsizetype runStart = i;
        while (i < n && !text.at(i).isSpace())
            ++i;
        if (i - runStart <= surelyFits)
            continue;
        const QStringView run = QStringView(text).mid(runStart, i - runStart);
        QTextBoundaryFinder lines(QTextBoundaryFinder::Line, run.data(), int(run.size()));
        qsizetype start = 0;
        for (qsizetype end = lines.toNextBoundary(); end > 0; end = lines.toNextBoundary()) {
            if (end - start > surelyFits)
                cut(runStart + start, runStart + end);
            start = end;
        }
    }
    if (copied == 0)
        return text;
    out += QStringView(text).mid(copied);
    return out;
}

double TextLayout::lineHeight(const QFont &font)
{
    return std::ceil(QFontMetricsF(font, referenceDevice()).lineSpacing());
}

QRectF TextLayout::usedRect(const QTextDocument &document)
{
    QRectF used;
    bool any = false;
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *lines = block.layout();
        if (!lines)
            continue;
        const QPointF at = layout->blockBoundingRect(block).topLeft() + lines->position();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            QRectF r = line.naturalTextRect().translated(at);
            if (r.width() <= 0)
                r.setWidth(0);
            used = any ? used.united(r) : r;
            // united() skips rects of no width; keep the height of empty lines.
            used.setTop(std::min(used.top(), r.top()));
            used.setBottom(std::max(used.bottom(), r.bottom()));
            any = true;
        }
    }
    return any ? used : QRectF();
}

QPointF TextLayout::origin(const Item &item, double scale, double line, double h)
{
    const double g = gapPerScale * scale;
    const double w = item.width;
    const QPointF a = item.anchor;
    switch (item.side) {
    case TextSide::right:
        return {a.x() + g, a.y() - line / 2};
    case TextSide::left:
        return {a.x() - g - w, a.y() - line / 2};
    case TextSide::above:
        return {a.x() - w / 2, a.y() - g - h};
    case TextSide::below:
        return {a.x() - w / 2, a.y() + g};
    case TextSide::aboveLeading:
        break;
    }
    return {a.x(), a.y() - h};
}

QRectF TextLayout::frame() const
{
    const QRectF used = usedRect(*m_document);
    const double h = std::max(m_line, std::ceil(used.isNull() ? 0 : used.height()));
    return QRectF(origin(m_item, m_scale, m_line, h), QSizeF(m_item.width, h));
}

QPointF TextLayout::placed() const
{
    return frame().topLeft();
}

QRectF TextLayout::textRect() const
{
    return textRect(m_item.side, frame(), usedRect(*m_document), m_line);
}

QRectF TextLayout::textRect(TextSide side, const QRectF &f, const QRectF &used, double line)
{
    if (used.isNull() || used.width() < 1) {
        double x = f.x();
        if (side == TextSide::left)
            x = f.x() + f.width() - caretWidth;
        else if (side == TextSide::above || side == TextSide::below)
            x = f.x() + f.width() / 2 - caretWidth / 2;
        return QRectF(x, f.y(), caretWidth, line);
    }
    return QRectF(f.x() + used.x(), f.y() + used.y(), used.width(), std::max(used.height(), line));
}

bool TextLayout::isBlank() const
{
    return m_item.string.trimmed().isEmpty();
}

void TextLayout::draw(QPainter &painter) const
{
    painter.save();
    painter.translate(placed());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, color(m_item));
    m_document->documentLayout()->draw(&painter, context);
    painter.restore();
}
