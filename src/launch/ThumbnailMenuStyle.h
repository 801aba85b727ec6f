#pragma once
#include <QProxyStyle>

// The style of a menu whose items carry picture thumbnails: the pictures are shown 54 points
// high with their own aspect (up to twice as wide), left of the titles.
class ThumbnailMenuStyle : public QProxyStyle
{
public:
    static constexpr int thumbHeight = 54;
    static constexpr int thumbWidth = 108;

    ThumbnailMenuStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
