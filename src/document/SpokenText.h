#pragma once
#include <QString>

// How spoken words join the text of a comment: one line, single blanks, a separating blank only
// where one is needed, and a lower-case first word when the words go on with a sentence.
namespace SpokenText {
// The piece to put directly after `existing`: empty, or a separator followed by the cleaned
// words. `existing` itself is not part of the result.
QString append(const QString &words, const QString &existing);
// The cleaned text, without its final full stop when it is a single sentence.
QString tidy(const QString &text);
} // namespace SpokenText
