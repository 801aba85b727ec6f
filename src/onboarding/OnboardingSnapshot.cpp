#include "OnboardingWindowController.h"

#include "app/PngWriter.h"
#include "settings/HeaderWindow.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QQuickView>

namespace {
// A see-through window's own rendering with its transparency: grabs come without an alpha
// channel, so the window is drawn once over black and once over white, and the difference
// gives how opaque each pixel is.
QImage seeThroughGrab(QQuickWindow *window)
{
    const QColor color = window->color();
    window->setColor(Qt::black);
    const QImage onBlack = window->grabWindow().convertToFormat(QImage::Format_RGB32);
    window->setColor(Qt::white);
    const QImage onWhite = window->grabWindow().convertToFormat(QImage::Format_RGB32);
    window->setColor(color);
    if (onBlack.isNull() || onBlack.size() != onWhite.size())
        return {};
    QImage out(onBlack.size(), QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(onBlack.devicePixelRatio());
    for (int y = 0; y < out.height(); ++y) {
        const QRgb *b = reinterpret_cast<const QRgb *>(onBlack.constScanLine(y));
        const QRgb *w = reinterpret_cast<const QRgb *>(onWhite.constScanLine(y));
        QRgb *o = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int spread = qMax(qMax(qRed(w[x]) - qRed(b[x]), qGreen(w[x]) - qGreen(b[x])),
                                    qBlue(w[x]) - qBlue(b[x]));
            const int alpha = qBound(0, 255 - spread, 255);
            o[x] = qRgba(qMin(qRed(b[x]), alpha), qMin(qGreen(b[x]), alpha), qMin(qBlue(b[x]), alpha), alpha);
        }
    }
    return out;
}
} // namespace

// A picture of the welcome window with its header, drawn from the windows' own rendering (never
// from the screen), with a 40 pt grey margin around both.
QByteArray OnboardingWindowController::pngSnapshot()
{
    refresh();
    fitHeight(false);
    if (!m_window || !m_header)
        return {};
    const QImage content = m_window->grabWindow();
    const QImage header = seeThroughGrab(m_header);
    if (content.isNull() || header.isNull())
        return {};
    const QSize size = m_window->size();
    const int margin = 40;
    QImage picture(size.width() + 2 * margin, size.height() + headerRise + 2 * margin,
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor::fromRgbF(0.07f, 0.07f, 0.07f));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF area(margin, margin + headerRise, size.width(), size.height());
    QPainterPath card;
    card.addRoundedRect(area, 16, 16);
    painter.fillPath(card, QColor(0x1F, 0x1F, 0x23));
    painter.save();
    painter.setClipPath(card);
    painter.drawImage(area, content);
    painter.restore();
    const QRectF headerArea(area.center().x() - headerWidth / 2.0, area.top() - headerRise,
                            headerWidth, headerHeight);
    painter.drawImage(headerArea, header);
    painter.end();

    return PngWriter::encode(picture);
}
