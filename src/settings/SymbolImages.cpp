#include "SymbolImages.h"

#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace {
// The theme's symbolic icons first, then the coloured ones of older themes.
const QHash<QString, QStringList> &names()
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("keyboard"), {QStringLiteral("input-keyboard")}},
        {QStringLiteral("arrow.up.right"), {QStringLiteral("document-edit"), QStringLiteral("accessories-text-editor")}},
        {QStringLiteral("link"), {QStringLiteral("send-to"), QStringLiteral("insert-link")}},
        {QStringLiteral("slider.horizontal.3"), {QStringLiteral("preferences-system")}},
        {QStringLiteral("lock"), {QStringLiteral("channel-secure"), QStringLiteral("system-lock-screen")}},
        {QStringLiteral("exclamationmark.triangle"), {QStringLiteral("dialog-warning")}},
        {QStringLiteral("exclamationmark.triangle.fill"), {QStringLiteral("dialog-warning")}},
        {QStringLiteral("envelope"), {QStringLiteral("mail-unread"), QStringLiteral("mail-message-new")}},
        {QStringLiteral("doc.text"), {QStringLiteral("text-x-generic")}},
        {QStringLiteral("info.circle"), {QStringLiteral("help-about"), QStringLiteral("dialog-information")}},
        {QStringLiteral("checkmark"), {QStringLiteral("object-select")}},
        {QStringLiteral("checkmark.circle.fill"), {QStringLiteral("emblem-ok"), QStringLiteral("emblem-default")}},
        {QStringLiteral("folder"), {QStringLiteral("folder")}},
        {QStringLiteral("record.circle"), {QStringLiteral("media-record")}},
        {QStringLiteral("accessibility"), {QStringLiteral("preferences-desktop-accessibility")}},
        {QStringLiteral("mic.fill"), {QStringLiteral("audio-input-microphone")}},
        {QStringLiteral("menu"), {QStringLiteral("open-menu"), QStringLiteral("application-menu")}},
    };
    return table;
}

// Our own drawing of a symbol, in a 16 × 16 box; false for a name without one.
bool draw(QPainter &p, const QString &name, const QColor &ink)
{
    QPen pen(ink, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (name == QLatin1String("folder")) {
        QPainterPath path;
        path.moveTo(1.5, 4);
        path.lineTo(6, 4);
        path.lineTo(7.5, 5.5);
        path.lineTo(14.5, 5.5);
        path.lineTo(14.5, 13);
        path.lineTo(1.5, 13);
        path.closeSubpath();
        p.drawPath(path);
    } else if (name == QLatin1String("keyboard")) {
        p.drawRoundedRect(QRectF(1, 4, 14, 9), 1.5, 1.5);
        for (int x = 0; x < 4; ++x)
            p.drawPoint(QPointF(4 + 2.7 * x, 7));
        p.drawLine(QPointF(5, 10.2), QPointF(11, 10.2));
    } else if (name == QLatin1String("lock")) {
        p.drawRoundedRect(QRectF(3, 7, 10, 7), 1.5, 1.5);
        p.drawArc(QRectF(5, 2, 6, 8), 0, 180 * 16);
    } else if (name.startsWith(QLatin1String("exclamationmark.triangle"))) {
        QPainterPath path;
        path.moveTo(8, 1.5);
        path.lineTo(15, 14);
        path.lineTo(1, 14);
        path.closeSubpath();
        p.drawPath(path);
        p.drawLine(QPointF(8, 6), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 11.8));
    } else if (name == QLatin1String("envelope")) {
        p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 1.5, 1.5);
        p.drawPolyline(QPolygonF({QPointF(2, 4.5), QPointF(8, 9), QPointF(14, 4.5)}));
    } else if (name == QLatin1String("doc.text")) {
        p.drawRoundedRect(QRectF(3, 1.5, 10, 13), 1.5, 1.5);
        for (double y : {5.0, 8.0, 11.0})
            p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
    } else if (name == QLatin1String("info.circle")) {
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 7), QPointF(8, 11.5));
        p.drawPoint(QPointF(8, 4.8));
    } else if (name.startsWith(QLatin1String("checkmark"))) {
        if (name.endsWith(QLatin1String("fill")))
            p.drawEllipse(QRectF(1, 1, 14, 14));
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
    } else if (name == QLatin1String("arrow.up.right") || name == QLatin1String("link")) {
        p.drawLine(QPointF(4, 12), QPointF(12, 4));
        p.drawPolyline(QPolygonF({QPointF(6, 4), QPointF(12, 4), QPointF(12, 10)}));
    } else if (name == QLatin1String("slider.horizontal.3") || name == QLatin1String("menu")) {
        for (double y : {4.0, 8.0, 12.0})
            p.drawLine(QPointF(2, y), QPointF(14, y));
    } else if (name == QLatin1String("record.circle")) {
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(ink);
        p.drawEllipse(QRectF(5, 5, 6, 6));
    } else if (name == QLatin1String("mic.fill")) {
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(5.5, 1.5, 5, 8), 2.5, 2.5);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 4, 10, 8), 180 * 16, 180 * 16);
        p.drawLine(QPointF(8, 12), QPointF(8, 14.5));
    } else if (name == QLatin1String("accessibility")) {
        p.drawEllipse(QRectF(6.5, 1, 3, 3));
        p.drawLine(QPointF(2.5, 6), QPointF(13.5, 6));
        p.drawLine(QPointF(8, 6), QPointF(8, 10));
        p.drawPolyline(QPolygonF({QPointF(5, 15), QPointF(8, 10), QPointF(11, 15)}));
    } else {
        return false;
    }
    return true;
}
} // namespace

SymbolImages::SymbolImages() : QQuickImageProvider(QQuickImageProvider::Pixmap)
{
    // Without a desktop theme (no platform theme names one, or only the bare "hicolor" base),
    // the freedesktop symbols come from Adwaita where it is installed; it inherits hicolor.
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor")) {
        for (const QString &folder : QIcon::themeSearchPaths())
            if (QFileInfo::exists(folder + QStringLiteral("/Adwaita/index.theme"))) {
                QIcon::setThemeName(QStringLiteral("Adwaita"));
                break;
            }
    }
}

QStringList SymbolImages::themeNames(const QString &name)
{
    QStringList out;
    for (const QString &base : names().value(name))
        out << base + QStringLiteral("-symbolic") << base;
    return out;
}

QPixmap SymbolImages::render(const QString &name, const QColor &colour, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    for (const QString &themeName : themeNames(name)) {
        const QIcon icon = QIcon::fromTheme(themeName);
        if (icon.isNull())
            continue;
        const QPixmap found = icon.pixmap(size);
        if (found.isNull())
            continue;
        QPainter p(&pixmap);
        p.drawPixmap(QRect(QPoint(), size), found);
        // Symbolic icons are one shape: they take the text's colour.
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(pixmap.rect(), colour);
        return pixmap;
    }
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 16.0, size.height() / 16.0);
    draw(p, name, colour);
    return pixmap;
}

QPixmap SymbolImages::requestPixmap(const QString &id, QSize *size, const QSize &requestedSize)
{
    const QString name = id.section(QLatin1Char('/'), 0, 0);
    QColor colour(QLatin1Char('#') + id.section(QLatin1Char('/'), 1, 1));
    if (!colour.isValid())
        colour = Qt::white;
    const QSize side = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(16, 16);
    if (size)
        *size = side;
    return render(name, colour, side);
}
