#include "Detail.h"

#include <QLocale>

namespace Autopilot::Detail {

QString text(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString text(int value) { return QString::number(value); }
QString text(qint64 value) { return QString::number(value); }
QString text(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

QString text(QPointF point)
{
    return QStringLiteral("(%1, %2)").arg(text(point.x()), text(point.y()));
}

QString text(QSizeF size)
{
    return QStringLiteral("(%1, %2)").arg(text(size.width()), text(size.height()));
}

QString text(const QRectF &rect)
{
    return QStringLiteral("(%1, %2, %3, %4)")
        .arg(text(rect.x()), text(rect.y()), text(rect.width()), text(rect.height()));
}

QString text(const QDateTime &date)
{
    return date.isValid() ? date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) : QStringLiteral("none");
}

QString quoted(const QString &value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out + QLatin1Char('"');
}

} // namespace Autopilot::Detail
