#include "TalkController.h"
#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "talk/SpeechListening.h"
#include "talk/TalkBadge.h"
#include "talk/TalkCanvas.h"

#include <QWidget>

std::function<void(const QString &, double)> TalkController::toastHook = [](const QString &text,
                                                                          double seconds) {
    toast(text, seconds);
};

namespace {
int wordCount(const QString &text)
{
    return int(text.split(u' ', Qt::SkipEmptyParts).size());
}
} // namespace

TalkController::TalkController(TalkCanvas &canvas, Scheduler &scheduler)
    : m_canvas(canvas), m_scheduler(scheduler), m_hold(Prefs::talkKey()), m_badge(new TalkBadge)
{
    QPointer<TalkController> self(this);
    m_watch = std::make_unique<TalkKeyWatch>(
        [self]() -> QWindow * { return self ? self->m_canvas.window() : nullptr; }, m_scheduler,
        [self](const TalkKeyEvent &event) {
            if (self)
                self->handle(event);
        },
        [self] {
            if (self)
                self->resigned();
        });
}

TalkController::~TalkController()
{
    m_watch.reset();
    if (m_badgeDue)
        m_scheduler.cancel(m_badgeDue);
    if (m_listener)
        std::exchange(m_listener, nullptr)->cancel();
    delete m_badge.data();
}

void TalkController::handle(const TalkKeyEvent &event)
{
    if (!m_canvas.exists()) {
        detach();
        return;
    }
    std::optional<TalkHold::Action> action;
    if (event.type == TalkKeyEvent::Type::keyDown) {
        action = m_hold.interrupt();
    } else {
        if (!m_hold.isHolding()) {
            if (!Prefs::talkEnabled() || m_canvas.spaceHeld())
                return;
            m_hold.key = Prefs::talkKey();
        }
        const bool down = event.flags & TalkKeys::deviceFlags(m_hold.key);
        const bool alone = !(event.flags & TalkKeys::otherModifiers(m_hold.key));
        action = m_hold.handle(event.keyCode, down, alone, event.time);
    }
    perform(action);
}

void TalkController::perform(std::optional<TalkHold::Action> action)
{
    if (!action)
        return;
    switch (*action) {
    case TalkHold::Action::begin:
        begin();
        break;
    case TalkHold::Action::end:
        hideBadge();
        stopListener();
        break;
    case TalkHold::Action::cancel:
        cancelListening();
        break;
    }
}

void TalkController::resigned()
{
    perform(m_hold.release(m_scheduler.now()));
}

bool TalkController::isCurrent(const std::weak_ptr<SpeechListening> &listener) const
{
    return m_listener && !listener.owner_before(m_listener) && !m_listener.owner_before(listener);
}

void TalkController::begin()
{
    finishPrevious();
    m_latest.clear();
    // Kept here as well: a listener that fails inside start() is dropped from m_listener while
    // start() is still running.
    const std::shared_ptr<SpeechListening> listener = makeSpeechListener();
    m_listener = listener;
    QPointer<TalkController> self(this);
    const std::weak_ptr<SpeechListening> weak = listener;
    listener->setOnHeard([self, weak](const QString &text) {
        if (self && self->isCurrent(weak))
            self->heard(text);
    });
    listener->setOnLevel([self, weak](float value) {
        if (self && self->isCurrent(weak))
            self->levelChanged(value);
    });
    listener->setOnProblem([self, weak](const TalkProblem &p) {
        if (!self)
            return;
        if (self->isCurrent(weak)) {
            self->problem(p);
        } else if (p.kind() == TalkProblem::Kind::microphoneAsked) {
            // The answer to the microphone prompt may come after its hold has ended; the user
            // still hears of it, and the hold of now goes on.
            self->tell(p);
        }
    });
    m_canvas.talkStarted();
    activityLog(QStringLiteral("talk: listening"));
    listener->start();
    if (m_listener != listener)
        return;
    m_badgeDue = m_scheduler.after(TalkHold::badgeDelay, [self, weak] {
        if (!self)
            return;
        self->m_badgeDue = 0;
        if (self->isCurrent(weak) && self->m_hold.isHolding())
            self->showBadge();
    });
}

void TalkController::finishPrevious()
{
    if (!m_listener)
        return;
    std::exchange(m_listener, nullptr)->cancel();
    m_canvas.talkEnded(m_latest);
}

void TalkController::stopListener()
{
    if (!m_listener)
        return;
    QPointer<TalkController> self(this);
    const std::weak_ptr<SpeechListening> weak = m_listener;
    // The listener stays current until its words arrive.
    const std::shared_ptr<SpeechListening> listener = m_listener;
    listener->stop([self, weak](const QString &text) {
        if (self && self->isCurrent(weak))
            self->wordsDelivered(text);
    });
}

void TalkController::heard(const QString &text)
{
    m_latest = text;
    m_hold.markHeard();
    m_canvas.talkHeard(text);
    placeBadge();
}

void TalkController::levelChanged(float value)
{
    if (m_badge)
        m_badge->push(value);
}

void TalkController::tell(const TalkProblem &p)
{
    activityLog(QStringLiteral("talk: ") + p.debugDescription());
    toastHook(p.message(m_hold.key), 3.2);
}

void TalkController::problem(const TalkProblem &p)
{
    tell(p);
    if (p.kind() == TalkProblem::Kind::gettingModel)
        return;
    cancel();
    m_canvas.dropSpoken();
}

void TalkController::wordsDelivered(const QString &text)
{
    m_listener.reset();
    activityLog(QStringLiteral("talk: heard %1 words").arg(wordCount(text)));
    m_canvas.talkEnded(text);
}

void TalkController::cancelListening()
{
    hideBadge();
    if (m_listener)
        std::exchange(m_listener, nullptr)->cancel();
    m_canvas.dropSpoken();
}

void TalkController::cancel()
{
    hideBadge();
    m_hold.release(m_scheduler.now());
    if (m_listener)
        std::exchange(m_listener, nullptr)->cancel();
}

void TalkController::interrupt()
{
    if (!m_hold.isHolding())
        return;
    perform(m_hold.interrupt());
}

void TalkController::detach()
{
    cancel();
    m_watch.reset();
}

void TalkController::hideBadge()
{
    if (m_badgeDue)
        m_scheduler.cancel(std::exchange(m_badgeDue, 0));
    if (m_badge)
        m_badge->hide();
}

void TalkController::showBadge()
{
    if (m_badgeDue)
        m_scheduler.cancel(std::exchange(m_badgeDue, 0));
    QWidget *host = m_canvas.exists() ? m_canvas.host() : nullptr;
    if (!host || !m_badge)
        return;
    if (m_badge->parentWidget() != host)
        m_badge->setParent(host);
    m_badge->push(0);
    m_badge->show();
    m_badge->raise();
    placeBadge();
}

void TalkController::placeBadge()
{
    if (!m_badge || m_badge->isHidden() || !m_badge->parentWidget() || !m_canvas.exists())
        return;
    if (std::optional<QPoint> at = TalkBadge::origin(m_canvas.talkBadgeAnchor(), m_badge->parentWidget()->size()))
        m_badge->move(*at);
}
