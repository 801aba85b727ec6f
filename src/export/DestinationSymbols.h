#pragma once
#include <QColor>
#include <QIcon>
#include <QPainterPath>

// The small monochrome symbols of the send menu and the command sidebar, drawn as paths so that
// they take any colour: a clipboard (copy only), two sheets (copy), a curved arrow back (the app
// you were in) and a filled circle with a tick (done).
namespace DestinationSymbols {
enum class Symbol { Clipboard, Copy, Back, Tick };

// The symbol's outline in a 16 × 16 box, filled with the odd-even rule.
QPainterPath path(Symbol symbol);
// The path filled in a colour, sized to fit a square of `points` logical pixels at the given
// pixel ratio; the icon's name tells which symbol it is ("Clipboard", "Back", …).
QIcon icon(Symbol symbol, const QColor &color, int points = 16, qreal pixelRatio = 2);
QString description(Symbol symbol);
} // namespace DestinationSymbols
