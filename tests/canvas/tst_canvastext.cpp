#include "CanvasFixture.h"

#include "TestEnv.h"

#include "canvas/TextItemView.h"
#include "capture/BootstrapMainMenu.h"
#include "platform/fake/FakeScheduler.h"

#include <QMenuBar>
#include <QTest>
#include <QTextCursor>

// Text editing on the canvas: the new shot's comment, typing into the document, the keys that
// end editing, and lists continued on Shift+Return.
class TestCanvasText : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    void key(int k, Qt::KeyboardModifiers mods = {}, const QString &text = {}, bool repeat = false)
    {
        QKeyEvent e(QEvent::KeyPress, k, mods, text, repeat);
        QCoreApplication::sendEvent(c->scrollView, &e);
    }
    void type(const QString &text)
    {
        for (QChar ch : text)
            key(Qt::Key_A + (ch.toUpper().unicode() - 'A'), {}, QString(ch));
    }

private slots:
    void init()
    {
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    void listMarker_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("marker"); // "-": no list
        QTest::addColumn<bool>("content");
        QTest::newRow("numbered with paren") << "10) item" << "11) " << true;
        QTest::newRow("numbered spacing kept") << "2.   two" << "3.   " << true;
        QTest::newRow("marker alone") << "3. " << "4. " << false;
        QTest::newRow("indented bullet") << "  - point" << "  - " << true;
        QTest::newRow("round bullet") << "\u2022 x" << "\u2022 " << true;
        QTest::newRow("emoji content") << "1. \U0001F600" << "2. " << true;
        QTest::newRow("no space after marker") << "1.item" << "-" << false;
        QTest::newRow("plain") << "hello" << "-" << false;
        QTest::newRow("largest number") << "9223372036854775807. x" << "-" << false;
        QTest::newRow("one below the largest") << "9223372036854775806. x" << "9223372036854775807. " << true;
    }
    void listMarker()
    {
        QFETCH(QString, line);
        QFETCH(QString, marker);
        QFETCH(bool, content);
        const auto found = CanvasController::listMarker(line);
        QCOMPARE(found ? found->marker : QStringLiteral("-"), marker);
        if (found)
            QCOMPARE(found->hasContent, content);
    }

    // The new shot's comment opens with its placeholder; typed text reaches the document, and
    // Shift+Return continues a list in the block holding the caret, however it wraps.
    void typingAndLists()
    {
        QVERIFY(c->editing);
        QCOMPARE(c->editing->placeholder(), std::optional(QStringLiteral("Enter text")));
        const QUuid id = c->editing->itemID();
        type(QStringLiteral("hi"));
        QCOMPARE(c->markup.item(id)->string, QStringLiteral("hi"));
        QCOMPARE(c->editing->placeholder(), std::nullopt);

        c->editing->insertPlainText(QStringLiteral("\n1. a long first item that wraps over more than one line of the comment"));
        key(Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(c->markup.item(id)->string.endsWith(QStringLiteral("comment\n2. ")));
        key(Qt::Key_Return, Qt::ShiftModifier); // a marker alone ends the list
        QVERIFY(c->markup.item(id)->string.endsWith(QStringLiteral("comment\n")));
        QCOMPARE(c->history.past.size(), 0); // one step when editing ends

        // Escape after typing only ends editing: the comment stays, one undo step.
        key(Qt::Key_Escape);
        QVERIFY(!c->editing);
        QVERIFY(c->markup.item(id));
        QCOMPARE(c->history.past.size(), 1);
        QVERIFY(f->view->isVisible());
    }

    // With the main menu and its application-wide shortcuts installed, Ctrl+A pressed in the
    // window still selects the edited comment's text.
    void ctrlASelectsTheCommentWithTheMainMenu()
    {
        const std::unique_ptr<QMenuBar> menu(bootstrapMainMenu());
        QVERIFY(c->editing);
        type(QStringLiteral("hello"));
        QVERIFY(!c->editing->textCursor().hasSelection());
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : c->scrollView;
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(c->editing->textCursor().selectedText(), QStringLiteral("hello"));
    }

    // Escape in the untouched comment closes the canvas.
    void escapeUntouchedCloses()
    {
        QVERIFY(c->editing);
        key(Qt::Key_Escape);
        QVERIFY(!c->editing);
        QVERIFY(c->markup.items.isEmpty());
        QCOMPARE(c->history.past.size(), 0);
        QCOMPARE(f->host->calls.last(), QStringLiteral("end reactivate"));
    }

    // Delete in the empty comment of an arrow removes both as one step; a held key does nothing
    // more; in an empty free text the key is the text's.
    void deleteEmptyComment()
    {
        c->endEditing();
        const Item a = Item::arrowFrom(QPointF(200, 200), QPointF(300, 300), 0, 2);
        Item note = Item::noteAt(QPointF(200, 200), TextSide::left, 200, QString(), 0, 2, a.id);
        c->markup.items = {a};
        const Markup start = c->markup;
        c->markup.items.append(note);
        c->refresh(false);
        c->beginEditing(c->texts.value(note.id), start);
        key(Qt::Key_Backspace, {}, {}, true);
        QVERIFY(c->editing);
        QVERIFY(c->markup.item(a.id));
        key(Qt::Key_Backspace);
        QVERIFY(!c->editing);
        QVERIFY(c->markup.items.isEmpty());
        QCOMPARE(c->history.past.size(), 1);
        c->undo();
        QCOMPARE(c->markup, start);
    }
};

QUILLET_TEST_MAIN(TestCanvasText)
#include "tst_canvastext.moc"
