#include "canvas/TextItemView.h"
#include "app/Toast.h"
#include "export/TextLayout.h"

#include "TestEnv.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleOptionGraphicsItem>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {
Item comment(TextSide side, double width, const QString &text, int color = 4)
{
    Item item = Item::noteAt(QPointF(300, 200), side, width, QString(), color, 2);
    item.string = text;
    return item;
}

QList<int> lineStarts(const QTextDocument &doc)
{
    QList<int> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (int i = 0; i < b.layout()->lineCount(); ++i)
            out << b.position() + b.layout()->lineAt(i).textStart();
    return out;
}

// The ink's bounding box of an image, in pixels (dark or coloured pixels on white).
QRect ink(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A scene with one text view, shown in an active view so that the view can take focus and keys.
struct Stage
{
    QGraphicsScene scene;
    std::unique_ptr<QGraphicsView> view;
    TextItemView *text = nullptr;

    explicit Stage(const Item &item, double scale = 1)
    {
        scene.setSceneRect(0, 0, 800, 600);
        text = new TextItemView(item);
        scene.addItem(text);
        text->apply(item, scale);
        view = std::make_unique<QGraphicsView>(&scene);
        view->resize(800, 600);
        view->show();
        view->activateWindow();
        if (!QTest::qWaitForWindowActive(view.get()))
            qFatal("view not active");
    }
    void edit()
    {
        text->setEditing(true);
        text->setFocus();
    }
    void key(int key, Qt::KeyboardModifiers mods = {}, const QString &t = {}, bool repeat = false)
    {
        QKeyEvent e(QEvent::KeyPress, key, mods, t, repeat);
        QCoreApplication::sendEvent(&scene, &e);
    }
};
} // namespace

// The text view of a comment: its style and placement from the item, the caret, the placeholder,
// and the keys it hands to its owner.
class TestTextItemView : public QObject
{
    Q_OBJECT

private slots:
    // Placed and sized as the shared layout places the exported text, for every side.
    void placementMatchesTheExport_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("text");
        for (TextSide::Value side : {TextSide::right, TextSide::left, TextSide::above, TextSide::below,
                                     TextSide::aboveLeading}) {
            const QByteArray name = QByteArray::number(int(side));
            QTest::newRow(name + " empty") << int(side) << QString();
            QTest::newRow(name + " wrapped")
                << int(side) << QStringLiteral("A comment long enough to wrap over several lines of its frame");
        }
    }
    void placementMatchesTheExport()
    {
        QFETCH(int, side);
        QFETCH(QString, text);
        const Item item = comment(TextSide::Value(side), 160, text);
        const double scale = 1.4;
        Stage stage(item, scale);
        const TextLayout layout(item, scale);
        QCOMPARE(stage.text->placed(), std::optional(layout.placed()));
        QCOMPARE(stage.text->lineRect(), layout.frame());
        QCOMPARE(stage.text->textRect(), layout.textRect());
        QCOMPARE(lineStarts(*stage.text->document()), lineStarts(*layout.document()));
        QCOMPARE(stage.text->isBlank(), text.isEmpty());
        QCOMPARE(stage.text->document()->documentLayout()->paintDevice(), TextLayout::referenceDevice());
    }

    // An empty comment on the left of its arrow shows its caret at the right edge of the frame.
    void emptyCaretOnTheLeft()
    {
        Stage stage(comment(TextSide::left, 120, QString()));
        const QRectF caret = stage.text->textRect();
        QCOMPARE(caret.width(), 2.0);
        QCOMPARE(caret.right(), stage.text->lineRect().right());
    }

    // A narrow item gets a 10 pt container at creation; apply then sets its exact width.
    void narrowItem()
    {
        const Item item = comment(TextSide::right, 4, QStringLiteral("x"));
        TextItemView view(item);
        QCOMPARE(view.textWidth(), 10.0);
        view.apply(item, 1);
        QCOMPARE(view.textWidth(), 4.0);
    }

    // A new string applied while the user types leaves the typed text alone; idle, it replaces it.
    void applyKeepsTypedText()
    {
        Item item = comment(TextSide::right, 200, QStringLiteral("old"));
        Stage stage(item);
        stage.edit();
        stage.text->insertPlainText(QStringLiteral(" typed"));
        item.string = QStringLiteral("from the document");
        item.color = 1;
        stage.text->apply(item, 1);
        QCOMPARE(stage.text->string(), QStringLiteral("old typed"));
        QCOMPARE(stage.text->defaultTextColor(), TextLayout::color(item));
        stage.text->setEditing(false);
        stage.text->apply(item, 1);
        QCOMPARE(stage.text->string(), item.string);
    }

    // The caret goes to the character nearest a point of the parent, clamped into the text.
    void placeCaret_data()
    {
        QTest::addColumn<QPointF>("offset"); // from the frame's top-left
        QTest::addColumn<int>("position");   // -1: the end
        QTest::newRow("before the first character") << QPointF(-50, -50) << 0;
        QTest::newRow("past the end") << QPointF(1000, 1000) << -1;
        QTest::newRow("left of the text") << QPointF(0.5, 2) << 0;
    }
    void placeCaret()
    {
        QFETCH(QPointF, offset);
        QFETCH(int, position);
        Stage stage(comment(TextSide::right, 200, QStringLiteral("Hello there")));
        stage.edit();
        stage.text->placeCaret(stage.text->lineRect().topLeft() + offset);
        const int expected = position < 0 ? int(stage.text->string().size()) : position;
        QCOMPARE(stage.text->textCursor().position(), expected);
        QVERIFY(!stage.text->textCursor().hasSelection());
    }
    void placeCaretInTheMiddle()
    {
        Stage stage(comment(TextSide::right, 300, QStringLiteral("abcdefghij")));
        stage.edit();
        const QTextLine line = stage.text->document()->begin().layout()->lineAt(0);
        const QPointF atFive(line.cursorToX(5), line.height() / 2);
        stage.text->placeCaret(stage.text->mapToParent(atFive + QPointF(0.4, 0)));
        QCOMPARE(stage.text->textCursor().position(), 5);
    }

    // Idle views let clicks through to the canvas; an edited one takes them.
    void mouseButtons()
    {
        Stage stage(comment(TextSide::right, 200, QStringLiteral("Hi")));
        QCOMPARE(stage.text->acceptedMouseButtons(), Qt::NoButton);
        QVERIFY(!(stage.text->flags() & QGraphicsItem::ItemIsFocusable));
        stage.edit();
        QVERIFY(stage.text->acceptedMouseButtons() & Qt::LeftButton);
        QVERIFY(stage.text->hasFocus());
        stage.text->setEditing(false);
        QCOMPARE(stage.text->acceptedMouseButtons(), Qt::NoButton);
        QVERIFY(!stage.text->hasFocus());
    }

    // The placeholder is drawn while the edited text is empty, on the side the text grows from,
    // and goes with the first character typed.
    void placeholder()
    {
        Stage stage(comment(TextSide::left, 300, QString(), 0));
        stage.edit();
        stage.text->setPlaceholder(QStringLiteral("Enter text"));
        const auto paint = [&] {
            QImage image(stage.text->lineRect().size().toSize() + QSize(0, 4), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter p(&image);
            QStyleOptionGraphicsItem option;
            option.exposedRect = stage.text->boundingRect();
            stage.text->paint(&p, &option, nullptr);
            return image;
        };
        const QRect drawn = ink(paint());
        QVERIFY(!drawn.isEmpty());
        QVERIFY2(drawn.right() >= 300 - 8 && drawn.left() > 150, "the placeholder sits at the right edge");
        QSignalSpy edited(stage.text, &TextItemView::textEdited);
        stage.key(Qt::Key_H, {}, QStringLiteral("H"));
        QCOMPARE(stage.text->string(), QStringLiteral("H"));
        QCOMPARE(stage.text->placeholder(), std::nullopt);
        QCOMPARE(edited.count(), 1);
    }

    // The edited text's caret stands after the text in the text's colour (not inverted to black
    // on a white plate), and no focus frame is drawn around the edited text.
    void caretInTheTextColourWithoutFocusFrame()
    {
        Stage stage(comment(TextSide::right, 300, QStringLiteral("ab"), 0));
        stage.edit();
        QTextCursor end(stage.text->document());
        end.movePosition(QTextCursor::End);
        stage.text->setTextCursor(end);
        QVERIFY(stage.text->hasFocus());
        const QRectF frame = stage.text->boundingRect();
        const auto paint = [&](QStyle::State state) {
            QImage image(frame.size().toSize() + QSize(8, 8), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter p(&image);
            p.translate(4 - frame.left(), 4 - frame.top());
            QStyleOptionGraphicsItem option;
            option.exposedRect = frame;
            option.state = state;
            stage.text->paint(&p, &option, stage.view.get());
            return image;
        };
        const QImage focused = paint(QStyle::State_HasFocus | QStyle::State_Selected);
        QCOMPARE(focused, paint(QStyle::State_None));
        const QRect text = ink(paint(QStyle::State_None));
        const QColor red = TextLayout::color(stage.text->item());
        int caret = 0;
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.right() - 3; x <= text.right(); ++x) {
                const QColor c = focused.pixelColor(x, y);
                QVERIFY2(qGray(c.rgb()) > 40, "no black caret");
                caret += std::abs(c.red() - red.red()) < 40 && std::abs(c.green() - red.green()) < 40;
            }
        QVERIFY2(caret >= text.height() / 2, qPrintable(QString::number(caret)));
    }

    // Return, Backspace, Delete, Escape and Tab go to the owner first; what it leaves is a plain
    // edit: a line break (never a line separator), no tab character.
    void commandKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("unhandled"); // the text after the key when the owner declines
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << int(TextItemView::Command::insertNewline)
                                << QStringLiteral("ab\n");
        QTest::newRow("Shift+Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier)
                                      << int(TextItemView::Command::insertNewline) << QStringLiteral("ab\n");
        QTest::newRow("Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                               << int(TextItemView::Command::insertNewline) << QStringLiteral("ab\n");
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << int(TextItemView::Command::deleteBackward)
                                   << QStringLiteral("a");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << int(TextItemView::Command::deleteForward)
                                << QStringLiteral("ab");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << int(TextItemView::Command::cancel)
                                << QStringLiteral("ab");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << int(TextItemView::Command::insertTab) << QStringLiteral("ab");
    }
    void commandKeys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, command);
        QFETCH(QString, unhandled);
        Stage stage(comment(TextSide::right, 200, QStringLiteral("ab")));
        stage.edit();
        stage.text->placeCaret(QPointF(1e6, 1e6));
        QList<int> seen;
        bool handle = true;
        int keys = 0;
        stage.text->onKey = [&] { ++keys; };
        stage.text->onCommand = [&](TextItemView::Command c, QKeyEvent *) {
            seen << int(c);
            return handle;
        };
        stage.key(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(seen, QList<int>{command});
        QCOMPARE(stage.text->string(), QStringLiteral("ab"));
        handle = false;
        stage.key(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(stage.text->string(), unhandled);
        QCOMPARE(keys, 2);
    }

    // Ctrl keys reach the owner first; pastes, drops and input methods end as plain text.
    void ctrlKeysAndPlainText()
    {
        Stage stage(comment(TextSide::right, 200, QString()));
        stage.edit();
        QList<int> equivalents;
        stage.text->onKeyEquivalent = [&](QKeyEvent *e) {
            equivalents << e->key();
            if (e->key() == Qt::Key_V) {
                stage.text->insertPlainText(QGuiApplication::clipboard()->text());
                return true;
            }
            return false;
        };
        QGuiApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\u2028three"));
        stage.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(equivalents, QList<int>{Qt::Key_V});
        QCOMPARE(stage.text->string(), QStringLiteral("one\ntwo\nthree"));

        // An input method's commit reaches the text and reports the change.
        QSignalSpy edited(stage.text, &TextItemView::textEdited);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("é"));
        QCoreApplication::sendEvent(&stage.scene, &commit);
        QVERIFY(stage.text->string().endsWith(QStringLiteral("é")));
        QVERIFY(edited.count() >= 1);

        // Selected text is copied as it is; with only a caret there is nothing to copy.
        QTextCursor cursor = stage.text->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        stage.text->setTextCursor(cursor);
        QVERIFY(stage.text->copySelection(false));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one"));
        cursor.clearSelection();
        stage.text->setTextCursor(cursor);
        QVERIFY(!stage.text->copySelection(false));
    }

    // While edited, the view keeps its editing keys from window shortcuts, not the menu's.
    void shortcutOverride_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::newRow("letter") << int(Qt::Key_A) << 0 << QStringLiteral("a") << true;
        QTest::newRow("Shift letter") << int(Qt::Key_A) << int(Qt::ShiftModifier) << QStringLiteral("A") << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << QString() << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << QString() << true;
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << QString() << true;
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << QString() << true;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << QString() << true;
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << QString() << false;
        QTest::newRow("Ctrl+H") << int(Qt::Key_H) << int(Qt::ControlModifier) << QString() << false;
    }
    void shortcutOverride()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(QString, text);
        QFETCH(bool, taken);
        Stage stage(comment(TextSide::right, 200, QString()));
        stage.edit();
        QKeyEvent e(QEvent::ShortcutOverride, key, Qt::KeyboardModifiers(mods), text);
        e.ignore();
        QCoreApplication::sendEvent(&stage.scene, &e);
        QCOMPARE(e.isAccepted(), taken);
    }

    // A text holds at most Item::longestString characters: a longer one is shown cut, and an
    // edit that would pass the limit keeps only what fits and says so.
    void longTextsAreCapped()
    {
        const QString x = QStringLiteral("x");
        TextItemView opened(comment(TextSide::right, 240, x.repeated(5 << 20)));
        QCOMPARE(opened.string().size(), Item::longestString);
        QCOMPARE(opened.document()->defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);

        Stage stage(comment(TextSide::right, 240, QStringLiteral("words ").repeated(10)));
        stage.edit();
        QCOMPARE(stage.text->document()->defaultTextOption().wrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QTextCursor end(stage.text->document());
        end.movePosition(QTextCursor::End);
        stage.text->setTextCursor(end);
        QSignalSpy edited(stage.text, &TextItemView::textEdited);
        stage.text->insertPlainText(x.repeated(Item::longestString));
        QCOMPARE(stage.text->string(), QStringLiteral("words ").repeated(10) + x.repeated(Item::longestString - 60));
        QVERIFY(!edited.isEmpty());
        QVERIFY(Toast::current());
        QCOMPARE(stage.text->document()->defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
        // At the limit a typed key adds nothing; a deleted one makes room again.
        stage.key(Qt::Key_Y, {}, QStringLiteral("y"));
        QCOMPARE(stage.text->string().size(), Item::longestString);
        QVERIFY(!stage.text->string().endsWith(QLatin1Char('y')));
        stage.key(Qt::Key_Backspace);
        QCOMPARE(stage.text->string().size(), Item::longestString - 1);
        stage.key(Qt::Key_Y, {}, QStringLiteral("y"));
        QVERIFY(stage.text->string().endsWith(QLatin1Char('y')));
        QCOMPARE(stage.text->string().size(), Item::longestString);
    }

    // Drawn on the canvas at any zoom or pixel density, a comment covers what the exported
    // picture's text covers, scaled.
    void drawsLikeTheExport_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("dpr");
        QTest::newRow("zoom 0.5") << 0.5 << 1.0;
        QTest::newRow("zoom 1") << 1.0 << 1.0;
        QTest::newRow("zoom 3") << 3.0 << 1.0;
        QTest::newRow("2x pixels") << 1.0 << 2.0;
    }
    void drawsLikeTheExport()
    {
        QFETCH(double, zoom);
        QFETCH(double, dpr);
        const Item item = comment(TextSide::right, 240, QStringLiteral("Wrapping stays the same on the canvas and in the picture"), 4);
        QGraphicsScene scene;
        auto *view = new TextItemView(item);
        scene.addItem(view);
        view->apply(item, 1);
        const TextLayout layout(item, 1);
        const QRectF frame = layout.frame();
        const auto draw = [&](const std::function<void(QPainter &)> &paint) {
            const QSize size(int(std::ceil(frame.width() * zoom * dpr)) + 8, int(std::ceil(frame.height() * zoom * dpr)) + 8);
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(dpr);
            image.fill(Qt::white);
            QPainter p(&image);
            p.scale(zoom, zoom);
            p.translate(-frame.topLeft());
            paint(p);
            p.end();
            return ink(image);
        };
        const QRect canvas = draw([&](QPainter &p) { scene.render(&p, frame, frame); });
        const QRect exported = draw([&](QPainter &p) { layout.draw(p); });
        QVERIFY(!exported.isEmpty());
        const int slack = int(std::ceil(2 * zoom * dpr));
        QVERIFY2(std::abs(canvas.left() - exported.left()) <= slack && std::abs(canvas.right() - exported.right()) <= slack
                     && std::abs(canvas.top() - exported.top()) <= slack
                     && std::abs(canvas.bottom() - exported.bottom()) <= slack,
                 qPrintable(QStringLiteral("canvas %1,%2 %3x%4, export %5,%6 %7x%8")
                                .arg(canvas.x()).arg(canvas.y()).arg(canvas.width()).arg(canvas.height())
                                .arg(exported.x()).arg(exported.y()).arg(exported.width()).arg(exported.height())));
    }
};

QUILLET_TEST_MAIN(TestTextItemView)
#include "tst_textitemview.moc"
