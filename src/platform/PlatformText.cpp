#include "PlatformText.h"

#include <QDir>
#include <QRegularExpression>

namespace PlatformText {
namespace {
const QChar controlGlyph(0x2303); // ⌃ (the Super key here)
const QChar optionGlyph(0x2325);  // ⌥
const QChar shiftGlyph(0x21E7);   // ⇧
const QChar commandGlyph(0x2318); // ⌘
const QChar returnGlyph(0x21A9);  // ↩
const QChar upGlyph(0x2191);      // ↑
const QChar downGlyph(0x2193);    // ↓
const QChar leftGlyph(0x2190);    // ←
const QChar rightGlyph(0x2192);   // →

bool isModifierGlyph(QChar c)
{
    return c == controlGlyph || c == optionGlyph || c == shiftGlyph || c == commandGlyph;
}

bool isArrowGlyph(QChar c)
{
    return c == upGlyph || c == downGlyph || c == leftGlyph || c == rightGlyph;
}

QString keyName(const QString &key)
{
    QString out = key;
    out.replace(returnGlyph, QStringLiteral("Return"));
    out.replace(upGlyph, QStringLiteral("Up"));
    out.replace(downGlyph, QStringLiteral("Down"));
    out.replace(leftGlyph, QStringLiteral("Left"));
    out.replace(rightGlyph, QStringLiteral("Right"));
    return out;
}
} // namespace

QString keys(const QString &glyphs)
{
    bool ctrl = false, alt = false, shift = false, super = false;
    int i = 0;
    while (i < glyphs.size() && isModifierGlyph(glyphs.at(i))) {
        const QChar c = glyphs.at(i);
        ctrl |= c == commandGlyph;
        alt |= c == optionGlyph;
        shift |= c == shiftGlyph;
        super |= c == controlGlyph;
        ++i;
    }
    QString out;
    if (ctrl)
        out += QStringLiteral("Ctrl+");
    if (alt)
        out += QStringLiteral("Alt+");
    if (shift)
        out += QStringLiteral("Shift+");
    if (super)
        out += QStringLiteral("Super+");
    return out + keyName(glyphs.mid(i));
}

QString words(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    // Key runs: modifier glyphs followed by one key character (or ↩ alone).
    for (int i = 0; i < text.size();) {
        if (isModifierGlyph(text.at(i))) {
            int j = i;
            while (j < text.size() && isModifierGlyph(text.at(j)))
                ++j;
            // A glyph that stands alone in a sentence ("Add ⌘, ⌃ or ⌥", "Hold ⌃: talk") names
            // the key itself.
            const bool alone = j >= text.size() || text.at(j).isSpace() || text.at(j) == u':'
                               || (text.at(j) == u',' && j + 1 < text.size() && text.at(j + 1).isSpace());
            QString named = keys(text.mid(i, j - i));
            if (alone) {
                named.chop(1); // the "+" that would lead to a key
                out += named;
                i = j;
                continue;
            }
            // "⌘-drag": the keys held while dragging.
            if (text.at(j) == u'-' && j + 1 < text.size() && text.at(j + 1).isLetter()) {
                out += named;
                i = j + 1;
                continue;
            }
            // "⌘↑↓": the keys with either arrow, shown as arrows.
            if (isArrowGlyph(text.at(j)) && j + 1 < text.size() && isArrowGlyph(text.at(j + 1))) {
                out += named;
                for (i = j; i < text.size() && isArrowGlyph(text.at(i)); ++i)
                    out += text.at(i);
                continue;
            }
            ++j;
            out += keys(text.mid(i, j - i));
            i = j;
        } else if (text.at(i) == returnGlyph) {
            out += QStringLiteral("Return");
            ++i;
        } else {
            out += text.at(i);
            ++i;
        }
    }
    static const QRegularExpression sentenceStartMacOS(QStringLiteral("(^|[.!?]\\s+)macOS\\b"));
    out.replace(sentenceStartMacOS, QStringLiteral("\\1The system"));
    out.replace(QStringLiteral("macOS"), QStringLiteral("the system"));
    out.replace(QStringLiteral("Finder"), QStringLiteral("the file manager"));
    static const QRegularExpression dock(QStringLiteral("\\bDock\\b"));
    out.replace(dock, QStringLiteral("taskbar"));
    out.replace(QStringLiteral("menu bar"), QStringLiteral("tray"));
    out.replace(QStringLiteral("this Mac"), QStringLiteral("this computer"));
    out.replace(QStringLiteral("This Mac"), QStringLiteral("This computer"));
    return out;
}


QString talkKeyTitle(TalkKey key)
{
    static const char *const titles[] = {"Super", "Right Alt", "Right Ctrl"}; // in TalkKey order
    return QLatin1String(titles[int(key)]);
}

QString talkKeyInSentence(TalkKey key)
{
    const QString title = talkKeyTitle(key);
    return title.startsWith(QLatin1String("Right ")) ? QStringLiteral("right") + title.mid(5) : title;
}

QString pathShown(const QString &path, const QString &home)
{
    const QString base = QDir::cleanPath(home.isEmpty() ? QDir::homePath() : home);
    const QString clean = QDir::cleanPath(path);
    if (base.isEmpty() || base == QLatin1String("/"))
        return clean;
    if (clean == base)
        return QStringLiteral("~");
    if (clean.startsWith(base + QLatin1Char('/')))
        return QStringLiteral("~") + clean.mid(base.size());
    return clean;
}

} // namespace PlatformText
