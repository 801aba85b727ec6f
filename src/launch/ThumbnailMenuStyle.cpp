#include "ThumbnailMenuStyle.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionMenuItem>

namespace {
// The room the base style leaves for a square icon, and the room a wide thumbnail needs.
constexpr int squareRoom = ThumbnailMenuStyle::thumbHeight + 4;
constexpr int wideRoom = ThumbnailMenuStyle::thumbWidth + 8;
} // namespace

ThumbnailMenuStyle::ThumbnailMenuStyle() : QProxyStyle(nullptr) {}

int ThumbnailMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                                    const QWidget *widget) const
{
    // The menu lays its rows out for thumbnails; rows without one (a ticked command) keep the
    // base style's icon and check-mark size.
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (metric == PM_SmallIconSize && (!item || !item->icon.isNull()))
        return thumbHeight;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize ThumbnailMenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                          const QSize &size, const QWidget *widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type == CT_MenuItem && item && item->menuItemType != QStyleOptionMenuItem::Separator
        && item->maxIconWidth > 0) {
        result.rwidth() += wideRoom - squareRoom;
        // The base style sizes the row for a wide picture squeezed into a square.
        if (!item->icon.isNull())
            result.setHeight(qMax(result.height(), thumbHeight + 4));
    }
    return result;
}

void ThumbnailMenuStyle::drawControl(ControlElement element, const QStyleOption *option,
                                     QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element != CE_MenuItem || !item || item->maxIconWidth <= 0) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The base style draws the row with the titles moved right; the thumbnail goes in front of
    // them at its own aspect.
    QStyleOptionMenuItem row = *item;
    row.icon = QIcon();
    row.maxIconWidth = wideRoom;
    // The base style would size a check box to the whole picture column; it gets its own size.
    row.checkType = QStyleOptionMenuItem::NotCheckable;
    QProxyStyle::drawControl(element, &row, painter, widget);
    if (item->checkType != QStyleOptionMenuItem::NotCheckable) {
        QStyleOptionButton box;
        box.QStyleOption::operator=(*item);
        const int side = QProxyStyle::pixelMetric(PM_IndicatorWidth, item, widget);
        box.rect = QRect(item->rect.x() + 8, item->rect.center().y() - side / 2, side, side);
        box.state = (item->state & State_Enabled) | (item->checked ? State_On : State_Off);
        proxy()->drawPrimitive(PE_IndicatorCheckBox, &box, painter, widget);
    }
    if (item->icon.isNull())
        return;
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QIcon::Mode mode = (item->state & State_Enabled) ? QIcon::Normal : QIcon::Disabled;
    const QPixmap picture = item->icon.pixmap(QSize(thumbWidth, thumbHeight), scale, mode);
    if (picture.isNull())
        return;
    const QSizeF shown = picture.deviceIndependentSize();
    const QRectF room(item->rect.x() + 4, item->rect.y(), thumbWidth, item->rect.height());
    const QRectF target(room.x() + (room.width() - shown.width()) / 2,
                        room.y() + (room.height() - shown.height()) / 2, shown.width(),
                        shown.height());
    painter->drawPixmap(target, picture, QRectF(picture.rect()));
}
