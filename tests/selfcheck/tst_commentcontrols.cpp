// The comment-control checks on an arrow's comment, and the faults they must catch: a grip that
// ignores drags, and a comment whose frames are gone in the middle of the steps.
#include "selfcheck/CommentControlChecks.h"
#include "selfcheck/Detail.h"
#include "selfcheck/ScriptedInput.h"

#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"

#include "../canvas/CanvasFixture.h"
#include "StageRun.h"
#include "TestEnv.h"

using namespace Autopilot;

namespace {
// A canvas with one arrow whose comment reads "a note", nothing being edited. The arrow points
// far enough to the left that the comment stays on its right through both drags.
struct CommentFixture
{
    StageRun out;
    CanvasFixture f;
    CanvasController *c = f.open(QRectF(200, 150, 700, 450));
    QUuid id;

    CommentFixture()
    {
        StageRun::revealed(c);
        c->endEditing();
        drag(c, c->fromHost(QPointF(500, 400)), c->fromHost(QPointF(300, 380)));
        if (c->editing) {
            id = c->editing->itemID();
            c->editing->insertPlainText(QStringLiteral("a note"));
        }
        c->endEditing();
    }
    QString text() const
    {
        const auto item = c->markup.item(id);
        return item ? item->string : QStringLiteral("gone");
    }
};

// Runs what it is given instead of the press, drag or release events of a kind, once.
class Intercept : public QObject
{
public:
    QEvent::Type type;
    std::function<bool()> action; // true: the event is swallowed
    bool once = false;
    Intercept(QEvent::Type t, std::function<bool()> a, bool o) : type(t), action(std::move(a)), once(o) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != type || !action)
            return false;
        const bool swallow = action();
        if (once)
            action = nullptr;
        return swallow;
    }
};
} // namespace

class TestCommentControls : public QObject
{
    Q_OBJECT

private slots:
    void allPass()
    {
        CommentFixture m;
        QVERIFY(!m.id.isNull());
        const QPointF anchor = m.c->markup.item(m.id)->anchor;
        commentControls(m.c, m.id, m.f.view.get());
        for (const QString &line : m.out.lines)
            QVERIFY2(line.startsWith("ok   "), qPrintable(m.out.lines.join('\n')));
        QCOMPARE(m.out.lines.size(), 17);
        // The bin took the comment while it was being typed: Undo brings it back as it was before
        // it was opened, moved by the first drag only.
        const double unit = m.c->markup.unit;
        const QPointF moved = m.c->markup.item(m.id)->anchor - anchor;
        QVERIFY(std::abs(moved.x() - 40 * unit) <= 1.5 && std::abs(moved.y() - 24 * unit) <= 1.5);
        QCOMPARE(m.text(), QStringLiteral("a note"));
        for (const char *name : {"13d2-comment-controls", "13d3-comment-grip", "13d4-typing-controls", "13d5-comment-bin"})
            QVERIFY2(!m.out.picture(QString::fromLatin1(name)).isNull(), name);
    }

    void aGripThatIgnoresDragsFails()
    {
        CommentFixture m;
        const QPointF anchor = m.c->markup.item(m.id)->anchor;
        Intercept stuck(QEvent::MouseMove, [] { return true; }, false);
        m.c->scrollView->viewport()->installEventFilter(&stuck);
        commentControls(m.c, m.id, m.f.view.get());
        const QString expected = QStringLiteral("FAIL dragged by its grip, a comment moves  ")
                                 + Detail::change(anchor, anchor);
        QVERIFY2(m.out.lines.contains(expected), qPrintable(m.out.lines.join('\n')));
    }

    // The comment is gone once the first drag ends: the steps that need its frames cannot run,
    // and the run says so instead of ending quietly.
    void framesLostAreCounted()
    {
        CommentFixture m;
        Intercept gone(QEvent::MouseButtonRelease, [&m] {
            m.c->deleteComment(m.id);
            return false;
        }, true);
        m.c->scrollView->viewport()->installEventFilter(&gone);
        commentControls(m.c, m.id, m.f.view.get());
        QCOMPARE(m.out.lines.last(), QStringLiteral("FAIL a comment's controls  frames lost before step 9"));
        QVERIFY(failures() >= 1);
    }

    void noCommentNoChecks()
    {
        CommentFixture m;
        commentControls(m.c, QUuid::createUuid(), m.f.view.get());
        QCOMPARE(m.out.lines, QStringList({"FAIL a comment's controls  no comment"}));
    }
};

QUILLET_TEST_MAIN(TestCommentControls)
#include "tst_commentcontrols.moc"
