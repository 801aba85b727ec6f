#pragma once
#include <QPointF>
#include <QRectF>
#include <QString>

#include <variant>

class QWidget;
class QWindow;

// Where the listening badge goes, in the host view's coordinates: beside the box of the comment
// being spoken into, at the pointer, or nowhere (it stays where it is).
using TalkAnchor = std::variant<std::monostate, QRectF, QPointF>;

// What the talk controller needs of its canvas. The canvas may go away before its controller
// does; then `exists` is false and nothing else is asked.
class TalkCanvas {
public:
    virtual ~TalkCanvas() = default;

    virtual bool exists() const = 0;
    // The canvas window, whose key events the controller watches; none before it is made.
    virtual QWindow *window() const = 0;
    // The view the badge is added to.
    virtual QWidget *host() const = 0;
    // The Space key is held for panning: no hold begins.
    virtual bool spaceHeld() const = 0;

    // Talking began: a fresh spoken place replaces any earlier one.
    virtual void talkStarted() = 0;
    // The words heard so far go into the spoken place, if there is one.
    virtual void talkHeard(const QString &words) = 0;
    // The spoken place, if there is one, gets its final words and is written and finished.
    virtual void talkEnded(const QString &words) = 0;
    // The spoken place, if there is one, is dropped; words already written stay.
    virtual void dropSpoken() = 0;
    virtual TalkAnchor talkBadgeAnchor() const = 0;
};
