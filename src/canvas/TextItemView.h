#pragma once
#include <QGraphicsTextItem>
#include <QString>
#include <QUuid>

// The text of one text item or comment on the canvas, edited in place.
class TextItemView : public QGraphicsTextItem
{
    Q_OBJECT
public:
    explicit TextItemView(const QUuid &item, QGraphicsItem *parent = nullptr);

    QUuid item() const { return m_item; }
    // The grey text shown while the text is empty.
    QString placeholder() const { return m_placeholder; }
    void setPlaceholder(const QString &text);

private:
    QUuid m_item;
    QString m_placeholder;
};
