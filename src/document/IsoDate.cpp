#include "IsoDate.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace IsoDate {

QString write(const QDateTime &date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('Z');
}

std::optional<QDateTime> read(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    QDateTime date = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!date.isValid())
        return std::nullopt;
    date.setTimeZone(QTimeZone::utc());
    return date;
}

} // namespace IsoDate
