#pragma once
#include <QProxyStyle>

// The style of our menus: the key column shows each item's keys spelled as the titles and the
// settings spell them ("Ctrl+Shift+Super+2").
class MenuKeyStyle : public QProxyStyle
{
public:
    MenuKeyStyle();

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

    // The row text of a menu item ("Title\tKeys") with its keys in our spelling.
    static QString respelled(const QString &text);
};
