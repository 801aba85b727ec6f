#include "CanvasTalk.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "talk/SpeechEngine.h"
#include "talk/TalkController.h"
#include "talk/TalkSettings.h"

#include <QWidget>
#include <QWindow>

CanvasTalk::CanvasTalk(CanvasController &canvas, const MakeController &makeController)
    : m_canvas(&canvas),
      m_talk(makeController ? makeController(*this) : std::make_unique<TalkController>(*this))
{
    if (Prefs::talkEnabled())
        SpeechEngine::shared()->warmUp();
    m_hint = QObject::connect(&TalkSettings::notifier(), &TalkSettings::changed, &canvas,
                              [c = &canvas] { c->updateHint(); });
}

CanvasTalk::~CanvasTalk()
{
    QObject::disconnect(m_hint);
}

bool CanvasTalk::isHolding() const
{
    return m_talk->isHolding();
}

void CanvasTalk::placeBadge()
{
    m_talk->placeBadge();
}

void CanvasTalk::cancel()
{
    m_talk->cancel();
}

QWindow *CanvasTalk::window() const
{
    const QWidget *host = m_canvas ? m_canvas->host.data() : nullptr;
    return host ? host->window()->windowHandle() : nullptr;
}

QWidget *CanvasTalk::host() const
{
    return m_canvas ? m_canvas->host.data() : nullptr;
}

bool CanvasTalk::spaceHeld() const
{
    return m_canvas && m_canvas->spaceHeld;
}

void CanvasTalk::talkStarted()
{
    if (m_canvas)
        m_canvas->talkStarted();
}

void CanvasTalk::talkHeard(const QString &words)
{
    if (m_canvas)
        m_canvas->talkHeard(words);
}

void CanvasTalk::talkEnded(const QString &words)
{
    if (!m_canvas || !m_canvas->spoken)
        return;
    m_canvas->spoken->words = words;
    m_canvas->spoken->ended = true;
    m_canvas->applySpokenWords();
}

void CanvasTalk::dropSpoken()
{
    if (m_canvas)
        m_canvas->spoken.reset();
}

TalkAnchor CanvasTalk::talkBadgeAnchor() const
{
    return m_canvas ? m_canvas->talkBadgeAnchor() : TalkAnchor();
}
