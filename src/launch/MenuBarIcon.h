#pragma once
#include <QIcon>
#include <QImage>
#include <QString>

// The tray icon: the picture "MenuBarIcon" among the application's resources at 18 × 18 points,
// marked as a mask (a glyph the desktop may tint), or, when the resources have no such picture,
// the same-sized drawing of a framed picture with an arrow pointing into it, in black.
namespace MenuBarIcon {
// The resource the icon is read from.
QString resourcePath();
// The icon; the drawn one when the resource cannot be read.
QIcon icon();
// The drawing, at 18 × 18 points times the pixel scale.
QImage drawn(qreal pixelScale = 1.0);
// The icon as one image of 18 × 18 points times the pixel scale (the menus' 16-point variant is
// scaled from it).
QImage image(qreal pixelScale = 1.0);
// Tests: reads another path in place of the resource (an empty text restores it).
void setResourcePathForTesting(const QString &path);
} // namespace MenuBarIcon
