#include "TalkWiring.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/DocumentView.h"
#include "canvas/Talk.h"
#include "settings/PanePreferences.h"
#include "settings/SettingsWindowController.h"
#include "talk/SpeechEngine.h"
#include "talk/SpeechLanguages.h"
#include "talk/TalkCanvas.h"
#include "talk/TalkController.h"
#include "talk/TalkSettings.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {
// Joins one canvas and its talk controller: the canvas sees a Talk, the controller a TalkCanvas.
class CanvasTalk final : public Talk, public TalkCanvas {
public:
    explicit CanvasTalk(CanvasController &canvas) : m_canvas(&canvas), m_talk(*this)
    {
        if (Prefs::talkEnabled())
            SpeechEngine::shared()->warmUp();
        m_hint = QObject::connect(&TalkSettings::notifier(), &TalkSettings::changed, &canvas,
                                  [c = &canvas] { c->updateHint(); });
    }
    ~CanvasTalk() override { QObject::disconnect(m_hint); }

    // Talk
    bool isHolding() const override { return m_talk.isHolding(); }
    void placeBadge() override { m_talk.placeBadge(); }
    void cancel() override { m_talk.cancel(); }

    // TalkCanvas
    bool exists() const override { return bool(m_canvas); }
    QWindow *window() const override
    {
        const QWidget *host = m_canvas ? m_canvas->host.data() : nullptr;
        return host ? host->window()->windowHandle() : nullptr;
    }
    QWidget *host() const override { return m_canvas ? m_canvas->host.data() : nullptr; }
    bool spaceHeld() const override { return m_canvas && m_canvas->spaceHeld; }
    void talkStarted() override
    {
        if (m_canvas)
            m_canvas->talkStarted();
    }
    void talkHeard(const QString &words) override
    {
        if (m_canvas)
            m_canvas->talkHeard(words);
    }
    void talkEnded(const QString &words) override
    {
        if (!m_canvas || !m_canvas->spoken)
            return;
        m_canvas->spoken->words = words;
        m_canvas->spoken->ended = true;
        m_canvas->applySpokenWords();
    }
    void dropSpoken() override
    {
        if (m_canvas)
            m_canvas->spoken.reset();
    }
    TalkAnchor talkBadgeAnchor() const override
    {
        return m_canvas ? m_canvas->talkBadgeAnchor() : TalkAnchor();
    }

private:
    QPointer<CanvasController> m_canvas;
    TalkController m_talk;
    QMetaObject::Connection m_hint;
};
} // namespace

void installTalk()
{
    Talk::make = [](CanvasController &canvas) -> std::unique_ptr<Talk> {
        return std::make_unique<CanvasTalk>(canvas);
    };
    PanePreferences::talkSettingsChanged = [] { TalkSettings::notifier().post(); };
    SettingsWindowController::supportedLanguages = [](std::function<void(QList<TalkLanguage>)> done) {
        QList<TalkLanguage> languages;
        for (const auto &[code, name] : SpeechLanguages::supported(*SpeechEngine::shared()))
            languages.append({code, name});
        done(languages);
    };
}
