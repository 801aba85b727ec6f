#include "MenuKeyStyle.h"

#include "app/MenuKeyEquivalents.h"

#include <QKeySequence>
#include <QStyleOptionMenuItem>

MenuKeyStyle::MenuKeyStyle() = default;

QString MenuKeyStyle::respelled(const QString &text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return text;
    const QKeySequence keys = QKeySequence::fromString(text.mid(tab + 1), QKeySequence::NativeText);
    if (keys.isEmpty())
        return text;
    return text.left(tab + 1) + MenuKeyEquivalents::shownText(keys);
}

QSize MenuKeyStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                     const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuItem || !item || !item->text.contains(QLatin1Char('\t')))
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    QStyleOptionMenuItem copy(*item);
    copy.text = respelled(item->text);
    // The contents size was measured on Qt's spelling: give it the width of ours.
    const QFontMetrics fm(copy.font);
    const int grown = fm.horizontalAdvance(copy.text) - fm.horizontalAdvance(item->text);
    return QProxyStyle::sizeFromContents(type, &copy, QSize(size.width() + grown, size.height()), widget);
}

void MenuKeyStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element != CE_MenuItem || !item || !item->text.contains(QLatin1Char('\t'))) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionMenuItem copy(*item);
    copy.text = respelled(item->text);
    QProxyStyle::drawControl(element, &copy, painter, widget);
}
