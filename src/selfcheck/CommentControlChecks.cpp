#include "CommentControlChecks.h"

#include "Autopilot.h"
#include "ClickThrough.h"
#include "Detail.h"

#include "canvas/CanvasChrome.h"
#include "canvas/CanvasController.h"
#include "canvas/DocumentView.h"
#include "canvas/TextItemView.h"

#include <QTextCursor>
#include <QWidget>

#include <cmath>

namespace Autopilot {
namespace {
using Part = CommentControls::Part;

const QString stayPrefix = QStringLiteral("the controls stay with the pointer ");

// The canvas under test and what the steps read from it.
struct Comment
{
    CanvasController *c;
    QUuid id;
    QWidget *host;

    // The pointer moves to a host point, as the window hands a move to the document view.
    void pointTo(QPointF p) const
    {
        c->docView->mouseMoved(host, host->mapTo(host->window(), p.toPoint()), c->fromHost(p));
    }
    // The comment whose controls show: none while they are quiet.
    std::optional<QUuid> controlsShown() const { return c->controlsQuiet ? std::nullopt : c->controlsText; }
    bool mine() const { return controlsShown() == id; }
    std::optional<QRectF> grip() const { return c->chrome->gripRect(); }
    std::optional<QRectF> bin() const { return c->chrome->trashRect(); }
    bool nothingShown() const { return !controlsShown() && !grip() && !bin(); }
    std::optional<QPointF> anchor() const
    {
        const auto item = c->markup.item(id);
        return item ? std::optional(item->anchor) : std::nullopt;
    }
    bool editsIt() const { return c->editing && c->editing->itemID() == id; }
    // Whether the anchor moved from before by (dx, dy) view points, within 1.5.
    bool movedBy(const std::optional<QPointF> &before, double dx, double dy) const
    {
        const auto now = anchor();
        const double unit = c->markup.unit;
        return before && now && std::abs(now->x() - before->x() - dx * unit) <= 1.5
               && std::abs(now->y() - before->y() - dy * unit) <= 1.5;
    }
};

QPointF wordsPoint(const QRectF &text) { return {text.left() + 10, text.center().y()}; }
QPointF typingPoint(const QRectF &text) { return {text.left() + 12, text.center().y()}; }

// A step that needs the comment's frames again and cannot have them: counted, the stage ends.
std::optional<CanvasController::CommentFrames> framesBefore(const Comment &comment, int step)
{
    const auto frames = comment.c->commentFrames(comment.id);
    if (!frames)
        check(QStringLiteral("a comment's controls"), false,
              [step] { return QStringLiteral("frames lost before step %1").arg(step); });
    return frames;
}

// Steps 1 to 8: the controls of the closed comment and a drag by its grip. False when the
// stage cannot go on.
bool closedComment(const Comment &m)
{
    const auto frames = m.c->commentFrames(m.id);
    if (!frames) {
        check(QStringLiteral("a comment's controls"), false, [] { return QStringLiteral("no comment"); });
        return false;
    }
    m.pointTo(wordsPoint(frames->text));
    if (!m.grip() || !m.bin()) {
        check(QStringLiteral("on a comment its grip and bin show"), false);
        return false;
    }
    const QRectF grip = *m.grip(), bin = *m.bin(), box = frames->box;
    check(QStringLiteral("on a comment its grip and bin show under its bottom right corner, the grip right of the bin"),
          m.mine() && m.c->cursor == CursorKind::iBeam && grip.left() >= bin.right() - 0.5
              && std::abs(grip.right() - (box.right() + 1)) <= 1.5 && grip.top() > box.bottom(),
          [&] {
              return QStringLiteral("grip ") + Detail::text(grip) + QStringLiteral(" bin ") + Detail::text(bin)
                     + QStringLiteral(" box ") + Detail::text(box);
          });
    writePicture(m.host, QStringLiteral("13d2-comment-controls"));

    const QList<std::pair<QString, QPointF>> near{
        {QStringLiteral("between the words and the grip"), {grip.center().x(), box.bottom() + 1}},
        {QStringLiteral("30 pt left of the comment"), {box.left() - 30, box.center().y()}},
        {QStringLiteral("30 pt below the grip"), {grip.center().x(), grip.bottom() + 30}},
    };
    for (const auto &[name, point] : near) {
        m.pointTo(point);
        check(stayPrefix + name, m.mine() && m.grip().has_value());
    }
    m.pointTo({box.left() + 20, grip.bottom() + 70});
    check(QStringLiteral("and go when it is well away"), m.nothingShown());

    m.pointTo(wordsPoint(frames->text));
    const QPointF gripCentre = m.grip().value_or(grip).center();
    m.pointTo(gripCentre);
    check(QStringLiteral("on the grip the pointer is an open hand"),
          m.c->controlHot == Part::grip && m.c->cursor == CursorKind::openHand);
    writePicture(m.host, QStringLiteral("13d3-comment-grip"));

    const auto before = m.anchor();
    const QPointF release = gripCentre + QPointF(40, 24);
    clickThrough(m.host, gripCentre, release, false);
    check(QStringLiteral("dragged by its grip, a comment moves"), !m.c->editing && m.movedBy(before, 40, 24),
          [&] { return Detail::change(before, m.anchor()); });
    check(QStringLiteral("let go, the hand is open again over the grip, which went along"),
          m.c->controlHot == Part::grip && m.c->cursor == CursorKind::openHand && m.grip()
              && std::abs(m.grip()->center().x() - release.x()) <= 1.5);
    return true;
}

// Steps 9 to 15: the comment opened for typing, its quiet controls, and a drag by its grip that
// keeps it open with its caret. The grip's centre the drag ended at; none when the stage ends.
std::optional<QPointF> openComment(const Comment &m)
{
    auto frames = framesBefore(m, 9);
    if (!frames)
        return std::nullopt;
    const QPointF words = wordsPoint(frames->text);
    clickThrough(m.host, words, words, true);
    if (!m.editsIt()) {
        check(QStringLiteral("a click on its words opens it"), false);
        return std::nullopt;
    }
    check(QStringLiteral("a comment opened for typing shows no controls until the pointer moves"),
          !m.controlsShown() && !m.grip());

    frames = framesBefore(m, 11);
    if (!frames)
        return std::nullopt;
    m.pointTo(typingPoint(frames->text));
    const QString overWords = QStringLiteral("over the words of the comment being typed, its controls show");
    if (!m.grip()) {
        check(overWords, false);
        return std::nullopt;
    }
    const QRectF grip = *m.grip();
    check(overWords, m.mine());
    writePicture(m.host, QStringLiteral("13d4-typing-controls"));

    if (m.c->editing && m.c->editing->onKey)
        m.c->editing->onKey();
    check(QStringLiteral("a key typed hides them"), m.nothingShown());

    m.pointTo(grip.center());
    check(QStringLiteral("the pointer moving brings them back"), m.c->controlHot == Part::grip && m.grip());

    const auto item = m.c->markup.item(m.id);
    const QString text = item ? item->string : QString();
    const auto before = m.anchor();
    const std::optional<int> caret =
        m.c->editing ? std::optional(m.c->editing->textCursor().position()) : std::nullopt;
    const QPointF release = grip.center() + QPointF(-30, 50);
    clickThrough(m.host, grip.center(), release, false);
    check(QStringLiteral("the comment being typed moves by its grip and stays open"),
          m.editsIt() && m.movedBy(before, -30, 50), [&] {
              return Detail::change(before, m.anchor()) + QStringLiteral(" open ") + Detail::text(bool(m.c->editing));
          });

    const QString moved = QStringLiteral(" MOVED");
    if (m.c->editing)
        m.c->editing->insertPlainText(moved);
    const QString expected = caret ? QString(text).insert(*caret, moved) : QStringLiteral("?");
    const auto after = m.c->markup.item(m.id);
    check(QStringLiteral("and typing carries on in it, where the caret was"), after && after->string == expected,
          [&] { return after ? after->string : QStringLiteral("gone"); });
    return release;
}

// Steps 16 to 19: the bin deletes the comment, Undo brings it back.
void binComment(const Comment &m, QPointF release)
{
    m.pointTo(release);
    if (!m.bin()) {
        check(QStringLiteral("after the drag its controls show"), false);
        return;
    }
    const QPointF binCentre = m.bin()->center();
    m.pointTo(binCentre);
    check(QStringLiteral("on the bin, it turns red and the pointer is a pointing hand"),
          m.c->controlHot == Part::trash && m.c->cursor == CursorKind::pointingHand);
    writePicture(m.host, QStringLiteral("13d5-comment-bin"));

    clickThrough(m.host, binCentre, binCentre, true);
    check(QStringLiteral("one click on the bin deletes the comment"),
          !m.c->markup.item(m.id) && !m.c->editing && !m.bin());
    m.c->undo();
    check(QStringLiteral("and Undo brings it back"), m.c->markup.item(m.id).has_value(),
          [&] { return QStringLiteral("%1 items").arg(m.c->markup.items.size()); });
}
} // namespace

void commentControls(CanvasController *controller, const QUuid &commentID, QWidget *host)
{
    const Comment comment{controller, commentID, host};
    if (!closedComment(comment))
        return;
    if (const auto release = openComment(comment))
        binComment(comment, *release);
}

} // namespace Autopilot

