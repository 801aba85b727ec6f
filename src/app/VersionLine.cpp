#include "VersionLine.h"

#include <QDate>
#include <QRegularExpression>

namespace VersionLine {
namespace {
// The locale's long date style without the day of the week ("March 3, 2026", "3. März 2026").
QString longDate(const QDate &date, const QLocale &locale)
{
    // The locale's long format names the day of the week; the version line reads better
    // without it, so the weekday field and the separators around it are taken out.
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("[,\\s]*dddd[,\\s]*"));
    const QRegularExpressionMatch m = weekday.match(format);
    if (m.hasMatch()) {
        const bool atEdge = m.capturedStart() == 0 || m.capturedEnd() == format.size();
        format.replace(m.capturedStart(), m.capturedLength(),
                       atEdge ? QString() : QStringLiteral(" "));
    }
    return locale.toString(date, format.trimmed());
}
} // namespace

QString text(const QString &version, const std::optional<QString> &date, bool release,
             const QLocale &locale)
{
    QString line = release ? QStringLiteral("Version ") + version
                           : QStringLiteral("Development build (after ") + version
                                 + QLatin1Char(')');
    if (!date)
        return line;
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate day = shape.match(*date).hasMatch()
                          ? QDate::fromString(*date, QStringLiteral("yyyy-MM-dd"))
                          : QDate();
    if (!day.isValid())
        return line;
    line += QStringLiteral(" · ");
    if (!release)
        line += QStringLiteral("built ");
    return line + longDate(day, locale);
}

} // namespace VersionLine
