#pragma once
#include "document/TalkKey.h"

#include <QString>

// Why listening failed or paused, with the sentence the user reads.
class TalkProblem {
public:
    enum class Kind { microphoneAsked, language, gettingModel, failed, microphoneOff, noMicrophone, modelReady };

    static TalkProblem microphoneAsked(bool granted) { return {Kind::microphoneAsked, {}, granted}; }
    static TalkProblem language(const QString &name) { return {Kind::language, name}; }
    static TalkProblem gettingModel(const QString &name) { return {Kind::gettingModel, name}; }
    static TalkProblem failed(const QString &description) { return {Kind::failed, description}; }
    static TalkProblem microphoneOff() { return {Kind::microphoneOff}; }
    static TalkProblem noMicrophone() { return {Kind::noMicrophone}; }
    static TalkProblem modelReady() { return {Kind::modelReady}; }

    Kind kind() const { return m_kind; }
    bool granted() const { return m_granted; }
    // The language's name, or the failure's description.
    const QString &text() const { return m_text; }

    // The sentence shown for this problem while `key` is the talk key.
    QString message(TalkKey key) const;
    // The form written to the activity log: microphoneAsked(granted: true), failed("…").
    QString debugDescription() const;

    friend bool operator==(const TalkProblem &, const TalkProblem &) = default;

private:
    TalkProblem(Kind kind, QString text = {}, bool granted = false)
        : m_kind(kind), m_text(std::move(text)), m_granted(granted) {}

    Kind m_kind;
    QString m_text;
    bool m_granted;
};
