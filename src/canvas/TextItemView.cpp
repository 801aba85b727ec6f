#include "canvas/TextItemView.h"

TextItemView::TextItemView(const QUuid &item, QGraphicsItem *parent) : QGraphicsTextItem(parent), m_item(item) {}

void TextItemView::setPlaceholder(const QString &text)
{
    if (text == m_placeholder)
        return;
    m_placeholder = text;
    update();
}
