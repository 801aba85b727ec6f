#include "export/DestinationSymbols.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace DestinationSymbols {
namespace {
QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

// A stroke of the given width along a path, as a fillable outline.
QPainterPath stroked(const QPainterPath &line, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line);
}
} // namespace

QPainterPath path(Symbol symbol)
{
    switch (symbol) {
    case Symbol::Clipboard: {
        QPainterPath board = roundedRect({2.5, 2.5, 11, 12.5}, 2).subtracted(roundedRect({4, 4, 8, 9.5}, 1));
        board = board.united(roundedRect({5, 1, 6, 3}, 1));
        return board.simplified();
    }
    case Symbol::Copy: {
        const QPainterPath back = roundedRect({5, 1, 10, 11}, 2).subtracted(roundedRect({6.5, 2.5, 7, 8}, 1));
        const QPainterPath front = roundedRect({1, 4.5, 10, 11}, 2);
        return back.subtracted(front.united(roundedRect({0, 3.5, 12, 13}, 2.5)))
            .united(front.subtracted(roundedRect({2.5, 6, 7, 8}, 1)))
            .simplified();
    }
    case Symbol::Back: {
        QPainterPath frame = roundedRect({1, 1, 14, 14}, 3).subtracted(roundedRect({2.5, 2.5, 11, 11}, 2));
        QPainterPath arrow;
        arrow.moveTo(6.5, 5);
        arrow.lineTo(4.5, 7);
        arrow.lineTo(6.5, 9);
        QPainterPath turn;
        turn.moveTo(4.8, 7);
        turn.lineTo(9, 7);
        turn.cubicTo(12, 7, 12, 11.5, 9, 11.5);
        turn.lineTo(7, 11.5);
        return frame.united(stroked(arrow, 1.4)).united(stroked(turn, 1.4)).simplified();
    }
    case Symbol::Tick: {
        QPainterPath disc;
        disc.addEllipse(QRectF(1, 1, 14, 14));
        QPainterPath tick;
        tick.moveTo(4.8, 8.2);
        tick.lineTo(7, 10.4);
        tick.lineTo(11.2, 5.8);
        return disc.subtracted(stroked(tick, 1.8)).simplified();
    }
    }
    return {};
}

QIcon icon(Symbol symbol, const QColor &color, int points, qreal pixelRatio)
{
    const int pixels = qMax(1, qRound(points * pixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(pixels / 16.0, pixels / 16.0);
        painter.fillPath(path(symbol), color);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(pixelRatio);
    return QIcon(pixmap);
}

QString description(Symbol symbol)
{
    switch (symbol) {
    case Symbol::Clipboard: return QStringLiteral("Clipboard");
    case Symbol::Copy: return QStringLiteral("Copy");
    case Symbol::Back: return QStringLiteral("Back");
    case Symbol::Tick: return QStringLiteral("Done");
    }
    return {};
}
} // namespace DestinationSymbols
