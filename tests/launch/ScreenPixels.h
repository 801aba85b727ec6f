#pragma once
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

// Pictures whose pixels are known on screen, and where a colour shows on the screen.
namespace ScreenPixels {

// A picture of one colour with a frame of another, at 72 dpi, the resolution of a picture of
// scale 1.
inline bool writePicture(const QString &path, QSize size, QRgb inside)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    image.fill(qRgb(10, 10, 10));
    for (int y = 1; y < size.height() - 1; ++y)
        for (int x = 1; x < size.width() - 1; ++x)
            image.setPixel(x, y, inside);
    return image.save(path);
}

// The bounds of a colour's pixels on screen and how many there are; with minRun, only the pixels
// in rows of at least that many of them side by side (smaller pictures, like thumbnails, left out).
struct OnScreen
{
    QRect bounds;
    qsizetype count = 0;
};

inline OnScreen find(QRgb colour, int minRun = 1)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    OnScreen found;
    for (int y = 0; y < shot.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(shot.constScanLine(y));
        for (int x = 0; x < shot.width();) {
            int end = x;
            while (end < shot.width() && (line[end] & 0xffffff) == (colour & 0xffffff))
                ++end;
            if (end - x >= minRun && end > x) {
                found.bounds |= QRect(x, y, end - x, 1);
                found.count += end - x;
            }
            x = end > x ? end : x + 1;
        }
    }
    return found;
}

} // namespace ScreenPixels
