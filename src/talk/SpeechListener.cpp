#include "SpeechListener.h"
#include "talk/MicrophoneAccess.h"
#include "talk/SoundFile.h"
#include "talk/SoundInput.h"
#include "talk/SoundLevel.h"
#include "talk/SoundStream.h"
#include "talk/SpeechLanguages.h"

#include <QCoreApplication>

std::function<std::shared_ptr<SpeechListening>()> makeSpeechListener = [] {
    return std::make_shared<SpeechListener>();
};

SpeechListener::SpeechListener() : SpeechListener(Services{}) {}

SpeechListener::SpeechListener(Services services) : m_services(std::move(services))
{
    if (!m_services.scheduler)
        m_services.scheduler = &Scheduler::system();
    if (!m_services.engine)
        m_services.engine = SpeechEngine::shared();
    if (!m_services.makeInput)
        m_services.makeInput = makeMicrophone;
    if (!m_services.access)
        m_services.access = &MicrophoneAccess::system();
    if (!m_services.language)
        m_services.language = SpeechLanguages::chosen;
}

SpeechListener::~SpeechListener()
{
    // Nothing is called back, but the shared recognizer must not wait for sound that will never
    // come: the input ends and the run is cancelled.
    if (m_input)
        m_input->stop();
    if (m_sound)
        m_sound->finish();
    if (m_work)
        m_work->cancel();
}

void SpeechListener::setOnHeard(std::function<void(const QString &)> heard)
{
    m_onHeard = heard ? std::move(heard) : [](const QString &) {};
}

void SpeechListener::setOnLevel(std::function<void(float)> level)
{
    m_onLevel = level ? std::move(level) : [](float) {};
}

void SpeechListener::setOnProblem(std::function<void(const TalkProblem &)> problem)
{
    m_onProblem = problem ? std::move(problem) : [](const TalkProblem &) {};
}

void SpeechListener::report(const TalkProblem &problem)
{
    m_onProblem(problem);
}

void SpeechListener::start()
{
    // The owner may drop this listener from inside a problem callback; stay alive until done.
    const std::shared_ptr<SpeechListener> self = weak_from_this().lock();
    if (file.isEmpty()) {
        switch (m_services.access->status()) {
        case MicrophoneAccess::Status::authorized:
            break;
        case MicrophoneAccess::Status::notDetermined: {
            std::weak_ptr<SpeechListener> weak = weak_from_this();
            m_services.access->request([weak](bool granted) {
                auto deliver = [weak, granted] {
                    if (auto listener = weak.lock())
                        listener->report(TalkProblem::microphoneAsked(granted));
                };
                if (QCoreApplication *app = QCoreApplication::instance())
                    QMetaObject::invokeMethod(app, deliver, Qt::QueuedConnection);
            });
            return;
        }
        case MicrophoneAccess::Status::denied:
        case MicrophoneAccess::Status::restricted:
            report(TalkProblem::microphoneOff());
            return;
        }
    }
    m_sound = std::make_shared<SoundStream>();
    if (file.isEmpty()) {
        if (!startMicrophone())
            return;
    } else {
        readSoundFile(file, m_sound);
    }
    recognize(m_services.language());
}

bool SpeechListener::startMicrophone()
{
    if (!m_input)
        m_input = m_services.makeInput();
    if (!m_input->format().isValid()) {
        report(TalkProblem::noMicrophone());
        return false;
    }
    std::shared_ptr<SoundStream> sound = m_sound;
    std::weak_ptr<SpeechListener> weak = weak_from_this();
    // On the input's thread: the buffer (already a copy of the device's) goes into the stream and
    // its level hops to the main thread.
    SoundInput::Tap tap = [sound, weak](SoundBuffer buffer) {
        const float level = inputLevel(buffer);
        sound->put(std::move(buffer));
        if (QCoreApplication *app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(app, [weak, level] {
                if (auto listener = weak.lock())
                    listener->m_onLevel(level);
            }, Qt::QueuedConnection);
        }
    };
    m_tapped = true;
    if (std::optional<QString> failure = m_input->start(microphoneFrames, std::move(tap))) {
        stopInput();
        report(TalkProblem::failed(*failure));
        return false;
    }
    return true;
}

void SpeechListener::stopInput()
{
    if (m_tapped) {
        m_input->stop();
        m_tapped = false;
    }
    if (m_sound)
        m_sound->finish();
    m_sound.reset();
}

void SpeechListener::recognize(const QString &code)
{
    const std::optional<SpeechLanguage> language = m_services.engine->language(code);
    if (!language || !language->installed) {
        stopInput();
        if (!m_cancelled) {
            if (!language) {
                report(TalkProblem::language(SpeechLanguages::name(code)));
            } else {
                report(TalkProblem::failed(QStringLiteral("the speech model for ")
                                           + SpeechLanguages::name(language->code)
                                           + QStringLiteral(" is not installed (package ")
                                           + language->package + u')'));
            }
        }
        finish();
        return;
    }
    std::weak_ptr<SpeechListener> weak = weak_from_this();
    SpeechEngine::Handlers handlers;
    handlers.result = [weak](const SpeechResult &r) {
        if (auto listener = weak.lock())
            listener->heard(r);
    };
    handlers.ended = [weak](const std::optional<QString> &failure) {
        if (auto listener = weak.lock())
            listener->recognitionEnded(failure);
    };
    m_work = m_services.engine->recognize(m_sound, language->code, std::move(handlers));
}

void SpeechListener::heard(const SpeechResult &result)
{
    if (m_cancelled || m_over)
        return;
    m_transcript.add(result.text, result.isFinal);
    m_onHeard(m_transcript.text());
}

void SpeechListener::recognitionEnded(const std::optional<QString> &failure)
{
    if (failure) {
        stopInput();
        if (!m_cancelled)
            report(TalkProblem::failed(*failure));
    }
    finish();
}

QString SpeechListener::words() const
{
    return m_cancelled ? QString() : m_transcript.text();
}

void SpeechListener::finish()
{
    if (m_over)
        return;
    m_over = true;
    stopInput();
    std::function<void(const QString &)> done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(words());
}

void SpeechListener::stop(std::function<void(const QString &)> completion)
{
    if (m_over || m_cancelled) {
        completion(words());
        return;
    }
    m_done = std::move(completion);
    std::weak_ptr<SpeechListener> weak = weak_from_this();
    m_services.scheduler->after(inputEndDelay, [weak] {
        if (auto listener = weak.lock())
            listener->stopInput();
    });
    m_services.scheduler->after(giveUpDelay, [weak] {
        if (auto listener = weak.lock())
            listener->finish();
    });
}

void SpeechListener::cancel()
{
    m_cancelled = true;
    m_done = nullptr;
    stopInput();
    if (m_work)
        m_work->cancel();
}
