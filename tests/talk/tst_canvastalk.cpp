#include "../canvas/CanvasFixture.h"

#include "TestEnv.h"

#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "platform/fake/FakeScheduler.h"

#include <QTextCursor>

namespace {
// The canvas's talk controller, as far as the canvas sees it.
struct FakeTalk : Talk
{
    int cancels = 0;
    bool isHolding() const override { return false; }
    void placeBadge() override {}
    void cancel() override { ++cancels; }
};
FakeTalk *fakeTalk = nullptr;
} // namespace

// Spoken words on a canvas: which comment they go into, how each transcript replaces the last,
// how a comment made by talking is finished, and where the listening badge is anchored.
class TestCanvasTalk : public QObject
{
    Q_OBJECT

    std::unique_ptr<CanvasFixture> f;
    CanvasController *c = nullptr;
    FakeScheduler clock;

    void heard(const QStringList &versions)
    {
        for (const QString &words : versions)
            c->talkHeard(words);
    }
    // What the talk controller does at the end of speech.
    void ended(const QString &words)
    {
        if (!c->spoken)
            return;
        c->spoken->words = words;
        c->spoken->ended = true;
        c->applySpokenWords();
    }
    void edit(const QString &text, int caret)
    {
        QVERIFY(c->editing);
        c->editing->insertPlainText(text);
        QTextCursor cursor = c->editing->textCursor();
        cursor.setPosition(caret);
        c->editing->setTextCursor(cursor);
    }
    QPointF overShot() const { return c->markup.shotRect().center() + QPointF(-120, 40); }

private slots:
    void initTestCase()
    {
        Talk::make = [](CanvasController &) {
            auto t = std::make_unique<FakeTalk>();
            fakeTalk = t.get();
            return std::unique_ptr<Talk>(std::move(t));
        };
    }
    void init()
    {
        fakeTalk = nullptr;
        CanvasController::scheduler() = &clock;
        f = std::make_unique<CanvasFixture>(QSize(1440, 875), 1, OverlayViewHost::Mode::Canvas);
        c = f->open(QRectF(100, 100, 600, 400));
        QVERIFY(c);
        QVERIFY(fakeTalk);
    }
    void cleanup()
    {
        f.reset();
        CanvasController::scheduler() = &Scheduler::system();
    }

    // Words spoken into the comment being edited go in at its caret, or in place of its
    // selection; each later transcript replaces only the words of the one before, and the
    // comment stays open.
    void intoTheEditedComment_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("anchor"); // -1: no selection
        QTest::addColumn<QString>("after");
        QTest::newRow("the new shot's comment") << "" << 0 << -1 << "Hello world";
        QTest::newRow("after a word") << "Broken" << 6 << -1 << "Broken hello world";
        QTest::newRow("after a sentence") << "Broken." << 7 << -1 << "Broken. Hello world";
        QTest::newRow("in the middle") << "One. Two" << 4 << -1 << "One. Hello world Two";
        QTest::newRow("in place of a selection") << "Say this here" << 4 << 8 << "Say hello world here";
    }
    void intoTheEditedComment()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, anchor);
        QFETCH(QString, after);
        edit(text, caret);
        if (anchor >= 0) {
            QTextCursor cursor = c->editing->textCursor();
            cursor.setPosition(caret);
            cursor.setPosition(anchor, QTextCursor::KeepAnchor);
            c->editing->setTextCursor(cursor);
        }
        const QUuid id = c->editing->itemID();
        const int undoSteps = c->history.past.size();
        c->talkStarted();
        heard({"Hel", "Hello wor", "Hello world"});
        ended("Hello world");
        QVERIFY(!c->spoken);
        QVERIFY(c->editing);
        QCOMPARE(c->editing->itemID(), id);
        QCOMPARE(c->editing->string(), after);
        QCOMPARE(c->markup.item(id)->string, after);
        QCOMPARE(c->history.past.size(), undoSteps);
        QCOMPARE(fakeTalk->cancels, 0);
    }

    // With nothing edited, the words make a comment at the pointer when it is over the canvas,
    // else beside the newest shot; it is tidied and closed, and one undo step removes it.
    void newComment_data()
    {
        QTest::addColumn<bool>("pointer");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("text");
        QTest::newRow("at the pointer") << true << "Hello world" << "Hello world";
        QTest::newRow("beside the shot") << false << "Hello world" << "Hello world";
        QTest::newRow("one sentence loses its stop") << true << "Hello world." << "Hello world";
        QTest::newRow("two sentences keep theirs") << true << "Hello. World." << "Hello. World.";
    }
    void newComment()
    {
        QFETCH(bool, pointer);
        QFETCH(QString, words);
        QFETCH(QString, text);
        c->endEditing();
        QVERIFY(c->markup.items.isEmpty());
        const QPointF at = overShot();
        if (pointer)
            c->pointerMoved(at, at, true);
        c->talkStarted();
        heard({"Hel", words});
        QVERIFY(c->editing);
        ended(words);
        QVERIFY(!c->spoken);
        QVERIFY(!c->editing);
        QCOMPARE(c->markup.items.size(), 1);
        const Item note = c->markup.items.first();
        QCOMPARE(note.string, text);
        QCOMPARE(note.kind, ItemKind::text);
        if (pointer)
            QCOMPARE(note.anchor, at); // placed as a click there places a text
        else
            QVERIFY(note.anchor != at);
        QCOMPARE(c->history.past.size(), 1);
        c->undo();
        QVERIFY(c->markup.items.isEmpty());
    }

    // The new shot's untouched comment takes the words while the pointer stays still; once the
    // pointer has moved over the canvas during the words, they make a comment there instead.
    void untouchedCommentPointedAway()
    {
        const QUuid untouched = c->editing->itemID();
        c->talkStarted();
        const QPointF at = overShot();
        c->pointerMoved(at, at, true);
        QVERIFY(c->spoken->pointed);
        heard({"Hello world"});
        QVERIFY(c->editing);
        QVERIFY(c->editing->itemID() != untouched);
        QVERIFY(!c->markup.item(untouched));
        ended("Hello world");
        QCOMPARE(c->markup.items.size(), 1);
        QCOMPARE(c->markup.items.first().string, QStringLiteral("Hello world"));
        QVERIFY(!c->editing);
    }

    // Saying nothing makes nothing; blank words wait for more.
    void nothingSaid()
    {
        c->endEditing();
        c->pointerMoved(overShot(), overShot(), true);
        c->talkStarted();
        heard({"", "  \n"});
        QVERIFY(c->spoken);
        QVERIFY(!c->editing);
        ended(" ");
        QVERIFY(!c->spoken);
        QVERIFY(!c->editing);
        QVERIFY(c->markup.items.isEmpty());
        QCOMPARE(c->history.past.size(), 0);
    }

    // Words heard during a drag wait for its mouse-up, then go into a comment of their own.
    void heldBackByAGesture()
    {
        c->endEditing();
        c->scrollView->zoom(1, QPointF());
        const QPointF a = c->markup.shotRect().center(), b = a + QPointF(120, 80);
        c->talkStarted();
        c->mouseDown({}, 1, a);
        c->mouseDragged({}, a + QPointF(60, 40));
        heard({"Hello world"});
        QVERIFY(c->spoken);
        QVERIFY(!c->spoken->view);
        c->mouseDragged({}, b);
        c->mouseUp({}, b);
        // The arrow's comment opened on mouse-up and took the words.
        QVERIFY(c->editing);
        QCOMPARE(c->editing->string(), QStringLiteral("Hello world"));
        ended("Hello world");
        QVERIFY(!c->editing);
        QCOMPARE(c->markup.items.size(), 2);
    }

    // Editing that ends while words come gives the words up and stops listening; words already
    // written stay.
    void editingEndsWhileTalking()
    {
        c->talkStarted();
        heard({"Hello"});
        const QUuid id = c->editing->itemID();
        c->endEditing();
        heard({"Hello world"});
        QVERIFY(!c->spoken);
        QCOMPARE(fakeTalk->cancels, 1);
        QCOMPARE(c->markup.item(id)->string, QStringLiteral("Hello"));
    }

    // The badge sits beside the comment spoken into, else at the pointer, else beside the
    // edited comment; without any of them it stays where it is.
    void badgeAnchor()
    {
        const auto isRect = [](const CanvasController::BadgeAnchor &a) { return std::holds_alternative<QRectF>(a); };
        QVERIFY(isRect(c->talkBadgeAnchor())); // editing, no pointer
        const QPointF at = overShot();
        c->pointerMoved(at, at, true);
        const auto point = c->talkBadgeAnchor();
        QVERIFY(std::holds_alternative<QPointF>(point));
        const QPointF host = c->scrollView->mapTo(c->host.data(), c->scrollView->viewPoint(at));
        QCOMPARE(std::get<QPointF>(point), host);

        c->talkStarted();
        heard({"Hello"});
        const auto box = c->talkBadgeAnchor();
        QVERIFY(isRect(box));
        // Around the comment, in the host's coordinates.
        const QPointF middle = c->editing->sceneBoundingRect().center();
        QVERIFY(std::get<QRectF>(box).contains(c->scrollView->mapTo(c->host.data(), c->scrollView->viewPoint(middle))));

        ended("Hello");
        c->endEditing();
        c->pointerMoved(std::nullopt, std::nullopt, true);
        QVERIFY(std::holds_alternative<std::monostate>(c->talkBadgeAnchor()));
    }
};

QUILLET_TEST_MAIN(TestCanvasTalk)
#include "tst_canvastalk.moc"
