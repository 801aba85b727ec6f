#pragma once
#include <QString>

// The running text heard during one hold: what the recognizer has settled, and its latest
// interim text, which a later result may still replace.
struct TalkTranscript {
    QString settled;
    QString passing;

    // A final piece is appended to the settled text and clears the passing one; an interim piece
    // replaces the passing text.
    void add(const QString &piece, bool isFinal)
    {
        if (isFinal) {
            settled += piece;
            passing.clear();
        } else {
            passing = piece;
        }
    }
    QString text() const { return settled + passing; }

    friend bool operator==(const TalkTranscript &, const TalkTranscript &) = default;
};
