#pragma once
#include <QWidget>

class QLabel;

// The small help bubble the toolbar shows just above a control: one wrapping label in a rounded
// plate. It never takes the pointer: clicks pass through to what lies below.
class TipBubble : public QWidget
{
    Q_OBJECT
public:
    explicit TipBubble(QWidget *parent = nullptr);

    // Sets the text, sizes the bubble to it (wrapping at most 320 pt wide, at least 80, less when
    // the host is narrow) and places it in host 8 pt above anchor (host coordinates), centred
    // over it and kept 8 pt inside the host's sides where it fits; then shows it. The caller
    // hides it.
    void show(const QString &text, QWidget *host, const QRectF &anchor);
    QString text() const;
    QLabel *label() const { return m_label; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_label;
};
