#pragma once
#include "document/TalkHold.h"
#include "platform/Scheduler.h"
#include "talk/TalkBadge.h"
#include "talk/TalkKeyWatch.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class SpeechListening;
class TalkCanvas;
class TalkProblem;

// Turns what is spoken while the talk key is held over one canvas into words in a comment. It
// watches the canvas window's keys, feeds the modifier changes to its hold, makes a listener for
// each hold that begins, hands the words heard to the canvas, and shows the listening badge.
// Main thread only; the canvas owns it and it refers to the canvas through TalkCanvas.
class TalkController : public QObject {
    Q_OBJECT
public:
    explicit TalkController(TalkCanvas &canvas, Scheduler &scheduler = Scheduler::system());
    // Shows a problem's sentence for a number of seconds: the toast, unless a test replaced it.
    static std::function<void(const QString &, double)> toastHook;
    ~TalkController() override;

    // One key event of the canvas window (virtual so that a stand-in can change what the hold
    // is handed).
    virtual void handle(const TalkKeyEvent &event);
    void perform(std::optional<TalkHold::Action> action);
    // The canvas window stopped being the active window: the hold ends as a release now.
    void resigned();
    // Stops talking without words; the canvas's spoken place is left to the caller.
    void cancel();
    // Ends a hold from outside: its words are kept when some were heard, else it is cancelled.
    void interrupt();
    // Stops talking and watching the keys (the canvas has gone).
    void detach();
    void placeBadge();
    // Shows the listening badge now (it otherwise appears a moment after listening starts).
    void showBadge();

    bool isHolding() const { return m_hold.isHolding(); }
    const TalkHold &hold() const { return m_hold; }
    TalkBadge *badge() const { return m_badge; }
    const std::shared_ptr<SpeechListening> &listener() const { return m_listener; }

private:
    void begin();
    void cancelListening();
    void finishPrevious();
    void stopListener();
    void heard(const QString &text);
    void levelChanged(float value);
    void problem(const TalkProblem &problem);
    // The problem's log line and toast.
    void tell(const TalkProblem &problem);
    void wordsDelivered(const QString &text);
    void hideBadge();
    bool isCurrent(const std::weak_ptr<SpeechListening> &listener) const;

    TalkCanvas &m_canvas;
    Scheduler &m_scheduler;
    TalkHold m_hold;
    std::shared_ptr<SpeechListening> m_listener;
    QString m_latest;
    std::unique_ptr<TalkKeyWatch> m_watch;
    Scheduler::Ticket m_badgeDue = 0;
    QPointer<TalkBadge> m_badge;
};
