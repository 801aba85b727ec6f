#pragma once
#include <QLabel>
#include <QWidget>

class QByteArray;

// A plain view whose origin is its top left and that never takes a click.
class FlippedView : public QWidget
{
public:
    explicit FlippedView(QWidget *parent = nullptr);
    explicit FlippedView(const QRect &frame, QWidget *parent = nullptr);
};

// A glass capsule with one line of text: the toast and the overlay's size chip. Clicks go through.
class GlassLabel : public QWidget
{
public:
    explicit GlassLabel(const QRect &frame, QWidget *parent = nullptr);

    QWidget *glass() const { return m_glass; }
    QWidget *content() const { return m_content; }
    QLabel *label() const { return m_label; }

    // The dark capsule with white text (the overlay's size chip) instead of the light one.
    void setDark(bool dark);
    // Sets the text, fits the label and gives the capsule the size (ceil(label width) + 26, 28).
    void setText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutParts();

    QWidget *m_glass;
    QWidget *m_content;
    QLabel *m_label;
};

// The overlay's coordinate label: a small dark plate with white monospaced digits.
class PointerLabel : public QWidget
{
public:
    explicit PointerLabel(const QRect &frame, QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }
    // The label takes the text and fits itself; the view becomes 12 pt wider and 4 pt higher.
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_label;
};

// The widget as currently drawn, as PNG data; empty when it cannot be made.
QByteArray pngSnapshot(QWidget *view);
