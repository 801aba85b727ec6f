#pragma once
#include <QQuickImageProvider>

// The small symbols of the settings and welcome windows, "image://symbol/<name>/<rrggbb>": the
// icon theme's standard icon for the name, tinted with the colour; where the theme has none,
// a symbol drawn here in that colour. Names are the ones the panes use ("keyboard", "lock",
// "folder", …).
class SymbolImages : public QQuickImageProvider
{
public:
    SymbolImages();
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The icon theme's names tried for a symbol, best first; empty for an unknown name.
    static QStringList themeNames(const QString &name);
    // The symbol in the colour at the size: the theme's icon, or the drawn one.
    static QPixmap render(const QString &name, const QColor &colour, QSize size);
};
