#include "TalkProblem.h"
#include "platform/PlatformText.h"

namespace {
QString quoted(QString s)
{
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'"', QStringLiteral("\\\""));
    return u'"' + s + u'"';
}
} // namespace

QString TalkProblem::message(TalkKey key) const
{
    const QString holdKey = PlatformText::talkKeyInSentence(key);
    switch (m_kind) {
    case Kind::microphoneAsked:
        if (m_granted)
            return QStringLiteral("Microphone is on. Hold ") + holdKey + QStringLiteral(" and speak.");
        return QStringLiteral("Talk to annotate needs the microphone. You can turn it on in Settings > Permissions.");
    case Kind::language:
        return QStringLiteral("Quillet\u2122 has no speech to text for ") + m_text
               + QStringLiteral(". Pick another language in Settings > Canvas.");
    case Kind::gettingModel:
        return PlatformText::words(QStringLiteral("macOS is getting its speech model for ") + m_text
                                   + QStringLiteral("\u2026"));
    case Kind::failed:
        return QStringLiteral("Could not listen: ") + m_text;
    case Kind::microphoneOff:
        return QStringLiteral("The microphone is off for Quillet\u2122. Turn it on in Settings > Permissions.");
    case Kind::noMicrophone:
        return QStringLiteral("No microphone found.");
    case Kind::modelReady:
        break;
    }
    return QStringLiteral("Ready. Hold ") + holdKey + QStringLiteral(" and speak.");
}

QString TalkProblem::debugDescription() const
{
    switch (m_kind) {
    case Kind::microphoneAsked:
        return QStringLiteral("microphoneAsked(granted: %1)").arg(m_granted ? "true" : "false");
    case Kind::language:
        return QStringLiteral("language(") + quoted(m_text) + u')';
    case Kind::gettingModel:
        return QStringLiteral("gettingModel(") + quoted(m_text) + u')';
    case Kind::failed:
        return QStringLiteral("failed(") + quoted(m_text) + u')';
    case Kind::microphoneOff:
        return QStringLiteral("microphoneOff");
    case Kind::noMicrophone:
        return QStringLiteral("noMicrophone");
    case Kind::modelReady:
        break;
    }
    return QStringLiteral("modelReady");
}
