#include "BuildInfo.h"

#include "BuildInfoValues.h"

#include <QUrl>

#include <QHash>
#include <mutex>

namespace BuildInfo {
namespace {
std::mutex overrideLock;
QHash<QString, QString> &overrides()
{
    static QHash<QString, QString> map;
    return map;
}

QString builtIn(const QString &key)
{
    static const QHash<QString, QString> values = {
        {QStringLiteral("CFBundleShortVersionString"), QStringLiteral(QUILLET_BI_VERSION)},
        {QStringLiteral("CFBundleVersion"), QStringLiteral(QUILLET_BI_BUILD)},
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral(QUILLET_BI_APP_ID)},
        {QStringLiteral("QLBuildDate"), QStringLiteral(QUILLET_BI_DATE)},
        {QStringLiteral("QLCommit"), QStringLiteral(QUILLET_BI_COMMIT)},
        {QStringLiteral("SUFeedURL"), QStringLiteral(QUILLET_BI_FEED_URL)},
        {QStringLiteral("SUPublicEDKey"), QStringLiteral(QUILLET_BI_PUBLIC_ED_KEY)},
        {QStringLiteral("QLReportURL"), QStringLiteral(QUILLET_BI_REPORT_URL)},
        {QStringLiteral("QLContactURL"), QStringLiteral(QUILLET_BI_CONTACT_URL)},
        {QStringLiteral("QLStatsURL"), QStringLiteral(QUILLET_BI_STATS_URL)},
        {QStringLiteral("QLMakerHost"), QStringLiteral(QUILLET_BI_MAKER_HOST)},
        {QStringLiteral("QLMakerEmail"), QStringLiteral(QUILLET_BI_MAKER_EMAIL)},
    };
    return values.value(key);
}
} // namespace

QString value(const QString &key)
{
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        auto it = overrides().constFind(key);
        if (it != overrides().constEnd())
            return it.value();
    }
    return builtIn(key);
}

void overrideValue(const QString &key, const QString &v)
{
    std::lock_guard<std::mutex> guard(overrideLock);
    if (v.isEmpty())
        overrides().remove(key);
    else
        overrides().insert(key, v);
}

QString version() { return value(QStringLiteral("CFBundleShortVersionString")); }
QString build() { return value(QStringLiteral("CFBundleVersion")); }
QString buildDate() { return value(QStringLiteral("QLBuildDate")); }
QString commit() { return value(QStringLiteral("QLCommit")); }
QString bundleIdentifier() { return value(QStringLiteral("CFBundleIdentifier")); }
QString feedUrl() { return value(QStringLiteral("SUFeedURL")); }
QString publicEdKey() { return value(QStringLiteral("SUPublicEDKey")); }
QString reportUrl() { return value(QStringLiteral("QLReportURL")); }
QString contactUrl() { return value(QStringLiteral("QLContactURL")); }
QString statsUrl() { return value(QStringLiteral("QLStatsURL")); }
QString makerHost() { return value(QStringLiteral("QLMakerHost")); }
QString makerEmail() { return value(QStringLiteral("QLMakerEmail")); }

QUrl httpsAddress(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return QUrl();
    return url;
}

bool sendsReports() { return !httpsAddress(reportUrl()).isEmpty(); }
bool sendsStatistics() { return !httpsAddress(statsUrl()).isEmpty(); }

} // namespace BuildInfo
