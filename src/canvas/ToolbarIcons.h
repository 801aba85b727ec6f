#pragma once
#include <QColor>
#include <QIcon>
#include <QString>

// The toolbar's and the sidebar's symbols: monochrome pictures of our own, drawn in one colour.
namespace ToolbarIcons {
// The symbol of that name (":/toolbar/NAME.svg") drawn in color, points wide and high, sharp at
// the screens' pixel scales; a null icon when there is no such symbol.
QIcon tinted(const QString &name, const QColor &color, int points);
// The symbol as a picture at one pixel scale (transparent where the symbol is not).
QImage picture(const QString &name, const QColor &color, int points, double pixelScale);
} // namespace ToolbarIcons
