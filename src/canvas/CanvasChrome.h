#pragma once
#include <QPainterPath>
#include <QWidget>

#include <optional>

// The editing aids drawn over the document in host coordinates, so that they keep their size at
// every zoom: the shots' crop borders, the export box, the selection outline and the marquee.
// It lies over the scroll view and lets every event through to the views below.
class CanvasChrome : public QWidget
{
    Q_OBJECT
public:
    explicit CanvasChrome(const QRect &frame, QWidget *parent = nullptr);

    // Each aid is a path in this view's coordinates, or none to hide it.
    void setCropBorder(const std::optional<QPainterPath> &path);
    void setExportBox(const std::optional<QPainterPath> &path);
    void setSelectionOutline(const std::optional<QPainterPath> &path);
    void setMarquee(const std::optional<QPainterPath> &path);

    // Moves the whole drawing by an offset (the jolt's shake).
    void setShake(QPointF offset);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void set(std::optional<QPainterPath> &field, const std::optional<QPainterPath> &path);

    std::optional<QPainterPath> m_cropBorder;
    std::optional<QPainterPath> m_exportBox;
    std::optional<QPainterPath> m_selectionOutline;
    std::optional<QPainterPath> m_marquee;
    QPointF m_shake;
};
