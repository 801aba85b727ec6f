#include "export/TextLayout.h"

#include "TestEnv.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

// The shared text layout: placement by side, the caret of an empty text, and wrapping that does
// not depend on the device, zoom or pixel density it is drawn at.
class TestTextLayout : public QObject
{
    Q_OBJECT

    static Item comment(TextSide side, double width, const QString &text)
    {
        Item item = Item::noteAt(QPointF(300, 200), side, width, QString(), 4, 2);
        item.string = text;
        return item;
    }

    // Where each line starts in the text.
    static QList<int> lineStarts(const TextLayout &layout)
    {
        QList<int> out;
        for (QTextBlock b = layout.document()->begin(); b.isValid(); b = b.next())
            for (int i = 0; i < b.layout()->lineCount(); ++i)
                out << b.position() + b.layout()->lineAt(i).textStart();
        return out;
    }

    // The bounding box of the ink, in the image's pixels, of the layout drawn at zoom on a
    // device of the given resolution.
    static QRect ink(const TextLayout &layout, double zoom, int dotsPerMeter)
    {
        const QRectF frame = layout.frame();
        QImage image(int(std::ceil(frame.width() * zoom)) + 4, int(std::ceil(frame.height() * zoom)) + 4,
                     QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(zoom, zoom);
        p.translate(-frame.topLeft());
        layout.draw(p);
        p.end();
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

private slots:
    void placement_data()
    {
        // The frame's origin for a one-line text of line height L, with gap 12: x, then y as
        // 200 + lines × L + gaps × 12.
        QTest::addColumn<int>("side");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("lines");
        QTest::addColumn<double>("gaps");
        QTest::addColumn<int>("alignment");
        QTest::newRow("right") << int(TextSide::right) << 312.0 << -0.5 << 0.0 << int(Qt::AlignLeft);
        QTest::newRow("left") << int(TextSide::left) << 138.0 << -0.5 << 0.0 << int(Qt::AlignRight);
        QTest::newRow("above") << int(TextSide::above) << 225.0 << -1.0 << -1.0 << int(Qt::AlignHCenter);
        QTest::newRow("below") << int(TextSide::below) << 225.0 << 0.0 << 1.0 << int(Qt::AlignHCenter);
        QTest::newRow("aboveLeading") << int(TextSide::aboveLeading) << 300.0 << -1.0 << 0.0 << int(Qt::AlignLeading);
    }
    void placement()
    {
        QFETCH(int, side);
        QFETCH(double, x);
        QFETCH(double, lines);
        QFETCH(double, gaps);
        QFETCH(int, alignment);
        const double scale = 1.2;
        const TextLayout layout(comment(TextSide::Value(side), 150, QStringLiteral("Hi")), scale);
        const double line = TextLayout::lineHeight(TextLayout::font(layout.item(), scale));
        QCOMPARE(line, std::ceil(line));
        const QRectF frame = layout.frame();
        QCOMPARE(frame.size(), QSizeF(150, line));
        QCOMPARE(frame.topLeft(), QPointF(x, 200 + lines * line + gaps * 12));
        QCOMPARE(int(TextLayout::alignment(TextSide::Value(side))), alignment);
        QVERIFY(layout.textRect().width() >= 1 && layout.textRect().width() < 150);
    }

    void emptyTextCaret_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<double>("offset"); // from the frame's left
        QTest::newRow("left: right edge") << int(TextSide::left) << 98.0;
        QTest::newRow("right: left edge") << int(TextSide::right) << 0.0;
        QTest::newRow("below: middle") << int(TextSide::below) << 49.0;
    }
    void emptyTextCaret()
    {
        QFETCH(int, side);
        QFETCH(double, offset);
        const TextLayout layout(comment(TextSide::Value(side), 100, QString()), 1);
        const QRectF caret = layout.textRect();
        QCOMPARE(caret.width(), 2.0);
        QCOMPARE(caret.x(), layout.frame().x() + offset);
        QCOMPARE(caret.height(), TextLayout::lineHeight(TextLayout::font(layout.item(), 1)));
        QVERIFY(layout.isBlank());
    }

    // A text wider than its width wraps at words, and the text rect hugs the lines.
    void wrapsAtWords()
    {
        const QString text = QStringLiteral("The save button does nothing when the form is empty and it should say why");
        const TextLayout layout(comment(TextSide::right, 220, text), 1);
        const QList<int> starts = lineStarts(layout);
        QVERIFY(starts.size() >= 3);
        for (int start : starts.mid(1))
            QCOMPARE(text.at(start - 1), QChar(' '));
        QVERIFY(layout.textRect().width() <= 220);
        QCOMPARE(layout.frame().height(), std::ceil(layout.textRect().height()));
    }

    // The same words on every line whatever it is drawn on: the glyphs scale with the zoom and
    // ignore the device's resolution.
    void drawingDoesNotChangeTheLayout()
    {
        const QString text = QStringLiteral("Wrapping must not change between the canvas and the copied picture");
        const TextLayout layout(comment(TextSide::right, 260, text), 1);
        const QRect at96 = ink(layout, 1, 3780);
        QVERIFY(!at96.isEmpty());
        QVERIFY(at96.height() > 2 * TextLayout::lineHeight(TextLayout::font(layout.item(), 1)) * 0.8); // several lines
        const QRect at192 = ink(layout, 1, 7559);
        QVERIFY2(std::abs(at192.width() - at96.width()) <= 1 && std::abs(at192.height() - at96.height()) <= 1,
                 "the device's resolution changed the text");
        for (double zoom : {0.5, 2.0, 3.0}) {
            const QRect zoomed = ink(layout, zoom, 3780);
            QVERIFY2(std::abs(zoomed.width() - at96.width() * zoom) <= 2 * zoom + 1
                         && std::abs(zoomed.height() - at96.height() * zoom) <= 2 * zoom + 1,
                     qPrintable(QStringLiteral("zoom %1: %2x%3 for %4x%5").arg(zoom).arg(zoomed.width()).arg(zoomed.height())
                                    .arg(at96.width()).arg(at96.height())));
        }
        // A second layout of the same item breaks at the same places.
        const TextLayout again(layout.item(), 1);
        QCOMPARE(lineStarts(again), lineStarts(layout));
    }

    // A word wider than the width is cut into pieces that fit, between graphemes (an accent
    // stays on its letter, a conjunct stays whole); ordinary text is left alone.
    void longWordsAreCut_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("before");
        QTest::newRow("letters") << QStringLiteral("abcdefghij") << QString();
        QTest::newRow("after a short word") << QStringLiteral("xyz") << QStringLiteral("Look: ");
        QTest::newRow("combining accents") << QStringLiteral("e\u0301a\u0308") << QString();
        QTest::newRow("conjuncts") << QStringLiteral("\u0915\u094D\u0937\u093F\u0924\u0940") << QString();
    }
    void longWordsAreCut()
    {
        QFETCH(QString, unit);
        QFETCH(QString, before);
        const double width = 150;
        const QString word = unit.repeated(400);
        const TextLayout layout(comment(TextSide::right, width, before + word), 1);
        // The document gives its line separators back as line feeds.
        const QString laid = layout.document()->toPlainText();
        QString joined = laid;
        joined.remove(QLatin1Char('\n'));
        QCOMPARE(joined, before + word); // nothing lost, nothing but breaks added
        const QStringList pieces = laid.split(QLatin1Char('\n'));
        QVERIFY2(pieces.size() > 10, qPrintable(QString::number(pieces.size())));
        // Every cut falls on a grapheme boundary of the text.
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, joined);
        qsizetype at = 0;
        for (const QString &piece : pieces.mid(0, pieces.size() - 1)) {
            at += piece.size();
            graphemes.setPosition(at);
            QVERIFY2(graphemes.isAtBoundary(), qPrintable(QStringLiteral("cut at %1").arg(at)));
        }
        QVERIFY(layout.textRect().width() <= width + 0.5);
        QVERIFY(lineStarts(layout).size() >= pieces.size());
        // Ordinary words are not touched.
        const QString words = QStringLiteral("plain words that wrap at their spaces ").repeated(20);
        QCOMPARE(TextLayout::brokenText(words, TextLayout::font(layout.item(), 1), width), words);
    }

    // A run of more than a thousand characters without white space makes the whole text wrap
    // anywhere; anything else wraps at words.
    void wrapMode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("anywhere");
        const QString x = QStringLiteral("x");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("words") << QStringLiteral("plain words ").repeated(500) << false;
        QTest::newRow("1000 in a run") << x.repeated(1000) << false;
        QTest::newRow("1001 in a run") << x.repeated(1001) << true;
        QTest::newRow("long run after words") << QStringLiteral("see ") + x.repeated(1001) << true;
        QTest::newRow("runs cut by line feeds") << (x.repeated(800) + QLatin1Char('\n')).repeated(4) << false;
    }
    void wrapMode()
    {
        QFETCH(QString, text);
        QFETCH(bool, anywhere);
        QCOMPARE(TextLayout::wrapMode(text),
                 anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
        QTextDocument document;
        TextLayout::configure(document, comment(TextSide::right, 200, text), 1);
        QCOMPARE(document.defaultTextOption().wrapMode(), TextLayout::wrapMode(text));
    }

    // A view that keeps its own document lays it out the same once configured.
    void configuredDocumentMatches()
    {
        const Item item = comment(TextSide::left, 180, QStringLiteral("One rule for every view of a comment's text"));
        const TextLayout layout(item, 1.4);
        QTextDocument own;
        TextLayout::configure(own, item, 1.4);
        own.setPlainText(item.string);
        QCOMPARE(TextLayout::usedRect(own), TextLayout::usedRect(*layout.document()));
        QCOMPARE(own.defaultTextOption().alignment(), Qt::AlignRight);
        QCOMPARE(own.documentMargin(), 0.0);
    }
};

QUILLET_TEST_MAIN(TestTextLayout)
#include "tst_textlayout.moc"
