#include "SpokenText.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace SpokenText {
namespace {

bool isHorizontalBlank(char32_t c)
{
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

bool isLineBreak(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Qt's space test is the White_Space property: Zs, Zl, Zp, U+0009...U+000D and U+0085.
bool isWhitespace(char32_t c)
{
    return QChar::isSpace(c);
}

bool isLetter(char32_t c)
{
    return QChar::isLetter(c) || QChar::category(c) == QChar::Number_Letter;
}

bool isUpperCase(char32_t c)
{
    if (QChar::isUpper(c))
        return true;
    // Cased letters outside Lu (Roman numerals, circled letters) count when they are their own
    // upper-case form.
    return QChar::toLower(c) != c && QChar::toUpper(c) == c;
}

char32_t scalarAt(const QString &s, qsizetype i)
{
    const QChar c = s.at(i);
    if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, s.at(i + 1));
    return c.unicode();
}

qsizetype scalarLength(const QString &s, qsizetype i)
{
    return scalarAt(s, i) > 0xFFFF ? 2 : 1;
}

// The first scalar of the last character (grapheme cluster) of a non-empty text.
char32_t lastCharacter(const QString &s)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    finder.toEnd();
    const qsizetype start = finder.toPreviousBoundary();
    return scalarAt(s, start < 0 ? s.size() - 1 : start);
}

QString trimmed(const QString &s)
{
    qsizetype begin = 0, end = s.size();
    while (begin < end && isHorizontalBlank(scalarAt(s, begin)))
        begin += scalarLength(s, begin);
    while (end > begin) {
        qsizetype last = end - 1;
        if (last > begin && s.at(last).isLowSurrogate() && s.at(last - 1).isHighSurrogate())
            --last;
        if (!isHorizontalBlank(scalarAt(s, last)))
            break;
        end = last;
    }
    return s.mid(begin, end - begin);
}

QString clean(const QString &words)
{
    QStringList pieces;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= words.size(); ++i) {
        if (i == words.size() || words.at(i) == u'\n' || words.at(i) == u'\r') {
            if (i > from)
                pieces << words.mid(from, i - from);
            from = i + 1;
        }
    }
    QString out = trimmed(pieces.join(u' '));
    while (out.contains(QStringLiteral("  ")))
        out.replace(QStringLiteral("  "), QStringLiteral(" "));
    return out;
}

bool opensText(char32_t c)
{
    return c == U'(' || c == U'[' || c == U'{' || c == 0x201C || c == U'"' || c == U'\''
           || c == U'/';
}

bool endsSentence(char32_t c)
{
    return c == U'.' || c == U'!' || c == U'?' || c == U':' || c == U';' || c == 0x2026
           || isLineBreak(c);
}

QString lowerFirstWord(const QString &words)
{
    qsizetype end = 0;
    while (end < words.size() && !isWhitespace(scalarAt(words, end)))
        end += scalarLength(words, end);
    const QString word = words.left(end);
    if (word.isEmpty() || !isUpperCase(scalarAt(word, 0)))
        return words;
    if (word.startsWith(QStringLiteral("I'")) || word.startsWith(QStringLiteral("I\u2019")))
        return words;
    QList<char32_t> letters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, word);
    for (qsizetype at = 0; at >= 0 && at < word.size(); at = finder.toNextBoundary()) {
        const char32_t c = scalarAt(word, at);
        if (isLetter(c))
            letters << c;
    }
    if (letters.size() == 1)
        return words;
    for (qsizetype i = 1; i < letters.size(); ++i) {
        if (isUpperCase(letters.at(i)))
            return words;
    }
    // The first scalar is mapped as a string: its lower case may have another length.
    const qsizetype firstLength = scalarLength(words, 0);
    return words.left(firstLength).toLower() + words.mid(firstLength);
}

} // namespace

QString append(const QString &words, const QString &existing)
{
    const QString cleaned = clean(words);
    if (cleaned.isEmpty())
        return {};
    if (existing.isEmpty())
        return cleaned;
    const char32_t last = lastCharacter(existing);
    const bool needsBlank = !isWhitespace(last) && !isLineBreak(last) && !opensText(last);
    const QString before = trimmed(existing);
    const bool keepCase = before.isEmpty() || endsSentence(lastCharacter(before));
    return (needsBlank ? QStringLiteral(" ") : QString())
           + (keepCase ? cleaned : lowerFirstWord(cleaned));
}

QString tidy(const QString &text)
{
    const QString cleaned = clean(text);
    if (cleaned.endsWith(u'.') && !cleaned.endsWith(QStringLiteral(".."))) {
        const QString shorter = cleaned.chopped(1);
        if (!shorter.contains(QStringLiteral(". ")) && !shorter.contains(QStringLiteral("! "))
            && !shorter.contains(QStringLiteral("? ")))
            return shorter;
    }
    return cleaned;
}

} // namespace SpokenText
