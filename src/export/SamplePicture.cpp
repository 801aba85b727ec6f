#include "export/SamplePicture.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {
struct Colour {
    double r, g, b;
};

// One shape as the layout gives it: x, width and corner radius as fractions of the width;
// the lower edge (from the bottom) and the height as fractions of the height.
struct Shape {
    double x, bottom, width, height, radius;
    Colour colour;
};

constexpr Colour background{0.93, 0.93, 0.95};
constexpr Colour sidebar{0.16, 0.17, 0.2};
constexpr Colour sidebarRow{0.34, 0.36, 0.42};
constexpr Colour white{1, 1, 1};
constexpr Colour dark{0.16, 0.17, 0.2};
constexpr Colour line{0.82, 0.83, 0.86};
constexpr Colour blue{0.04, 0.52, 1.0};
constexpr Colour yellow{1.0, 0.8, 0.0};
constexpr std::array<Colour, 4> titleColours = {{{1.0, 0.16, 0.12}, {0.2, 0.62, 0.35}, {0.45, 0.3, 0.85}, {0.1, 0.45, 0.9}}};

// A shape whose lower edge lies `top` × height below the top.
constexpr Shape fromTop(double x, double top, double width, double height, double radius, Colour c)
{
    return Shape{x, 1 - top, width, height, radius, c};
}

QColor qColor(const Colour &c)
{
    return QColor::fromRgbF(float(c.r), float(c.g), float(c.b));
}
} // namespace

QImage samplePicture(int width, int height, int variant)
{
    if (width < 1 || height < 1)
        return QImage();
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        return QImage();
    const double W = width, H = height;
    QList<Shape> shapes;
    shapes << Shape{0, 0, 1, 1, 0, background} << Shape{0, 0, 0.167, 1, 0, sidebar};
    for (double top : {0.158, 0.218, 0.278, 0.338, 0.398, 0.458, 0.518})
        shapes << fromTop(0.02, top, 0.11, 0.018, 0.004, sidebarRow);
    shapes << Shape{0.167, 0.9, 0.833, 0.1, 0, titleColours[size_t(((variant % 4) + 4) % 4)]};
    shapes << fromTop(0.2, 0.065, 0.16, 0.03, 0.004, white) << fromTop(0.2, 0.465, 0.35, 0.31, 0.008, white)
           << fromTop(0.225, 0.22, 0.2, 0.03, 0.004, dark);
    const double lineWidths[3] = {0.28, 0.23, 0.18};
    const double lineTops[3] = {0.266, 0.301, 0.336};
    for (int i = 0; i < 3; ++i)
        shapes << fromTop(0.225, lineTops[i], lineWidths[i], 0.016, 0.003, line);
    shapes << fromTop(0.229, 0.438, 0.097, 0.049, 0.006, blue) << fromTop(0.577, 0.465, 0.375, 0.31, 0.008, white)
           << fromTop(0.6, 0.22, 0.17, 0.03, 0.004, dark) << fromTop(0.6, 0.42, 0.33, 0.17, 0.006, yellow)
           << fromTop(0.2, 0.91, 0.752, 0.4, 0.008, white);
    for (double top : {0.576, 0.626, 0.676, 0.726, 0.776, 0.826})
        shapes << fromTop(0.225, top, 0.7, 0.016, 0.003, line);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    for (const Shape &s : shapes) {
        // The layout counts y upward from the bottom; the picture's rows go down from the top.
        const QRectF r(s.x * W, H - (s.bottom + s.height) * H, s.width * W, s.height * H);
        painter.setBrush(qColor(s.colour));
        if (s.radius > 0)
            painter.drawRoundedRect(r, s.radius * W, s.radius * W);
        else
            painter.drawRect(r);
    }
    painter.end();
    return picture;
}
