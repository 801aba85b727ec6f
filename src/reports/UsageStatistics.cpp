#include "UsageStatistics.h"

#include "Reports.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"
#include "platform/Scheduler.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QUuid>

#include <cstdio>

namespace Stats {

std::function<bool()> selfCheckRunning = [] { return SelfCheckFlag::isSet(); };
int timeoutMs = 20000;

namespace {
constexpr double firstLook = 5;
constexpr double lookEvery = 3600;
const QString lastSentKey = QStringLiteral("stats.lastSent");
const QString lastCountKey = QStringLiteral("stats.lastCount");
const QString testID = QStringLiteral("00000000-0000-4000-8000-000000000000");

bool scheduled = false;
bool sending = false;

Scheduler &clock()
{
    return Reports::scheduler ? *Reports::scheduler : Scheduler::system();
}

void lookEveryHour()
{
    clock().after(lookEvery, [] {
        sendIfDue();
        lookEveryHour();
    });
}

qint64 captureCount()
{
    return Prefs::store().intValue(QStringLiteral("melt.captures")).value_or(0);
}

std::optional<QDateTime> lastSent()
{
    const std::optional<QString> text = Prefs::store().stringValue(lastSentKey);
    if (!text)
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(*text, Qt::ISODate);
    return date.isValid() ? std::optional<QDateTime>(date) : std::nullopt;
}

bool isHttps(const QUrl &url)
{
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}
} // namespace

void startSchedule()
{
    if (scheduled)
        return;
    scheduled = true;
    clock().after(firstLook, [] { sendIfDue(); });
    lookEveryHour();
}

bool allowed()
{
    return Prefs::shareStats() && !selfCheckRunning() && !endpoint().isEmpty();
}

QUrl endpoint()
{
    return BuildInfo::httpsAddress(BuildInfo::statsUrl());
}

QString id()
{
    const QString key = QStringLiteral("stats.id");
    if (const std::optional<QString> stored = Prefs::store().stringValue(key); stored && !stored->isEmpty())
        return stored->toLower();
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces).toLower();
    Prefs::store().setValue(key, made);
    return made;
}

QString osText()
{
    return (QSysInfo::productType() + QLatin1Char(' ') + QSysInfo::productVersion()).trimmed();
}

UsageStats::Payload payload(const QString &id, qint64 captures)
{
    const QString version = BuildInfo::version();
    return UsageStats::Payload(id, version.isEmpty() ? QStringLiteral("0") : version,
                               UsageStats::buildNumber(BuildInfo::build()), osText(), captures);
}

bool inFlight()
{
    return sending;
}

void sendIfDue()
{
    const qint64 count = captureCount();
    if (!allowed() || sending)
        return;
    const qint64 lastCount = Prefs::store().intValue(lastCountKey).value_or(0);
    if (!UsageStats::isDue(Reports::wallClock(), lastSent(), count, lastCount))
        return;
    sending = true;
    post(payload(id(), count), endpoint(), [count](std::optional<int> status) { sent(status, count); });
}

void post(const UsageStats::Payload &payload, const QUrl &url, std::function<void(std::optional<int>)> completion)
{
    if (!isHttps(url)) {
        completion(std::nullopt);
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(timeoutMs);
    // A redirect is not followed: the count goes to the endpoint or nowhere.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = Reports::network().post(request, UsageStats::json(payload).value_or(QByteArray()));
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, completion] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        reply->deleteLater();
        completion(status.isValid() ? std::optional<int>(status.toInt()) : std::nullopt);
    });
}

void sent(std::optional<int> status, qint64 count)
{
    sending = false;
    if (status && *status >= 200 && *status <= 299) {
        Prefs::store().setValue(lastSentKey, Reports::wallClock().toUTC().toString(Qt::ISODate));
        Prefs::store().setValue(lastCountKey, count);
        activityLog(QStringLiteral("stats: sent, %1 captures").arg(count));
        return;
    }
    activityLog(QStringLiteral("stats: not sent (%1), will try again")
                    .arg(status ? QString::number(*status) : QStringLiteral("no answer")));
}

void sendTest(const QString &urlText, std::function<void(int)> done)
{
    const UsageStats::Payload count = payload(testID, captureCount());
    QUrl target(urlText, QUrl::StrictMode);
    if (urlText.isEmpty() || !target.isValid() || target.scheme().isEmpty())
        target = endpoint();
    std::printf("POST %s\n%s\n", qPrintable(target.toString()),
                UsageStats::json(count).value_or(QByteArray()).constData());
    std::fflush(stdout);
    post(count, target, [done](std::optional<int> status) {
        if (status)
            std::printf("HTTP %d\n", *status);
        else
            std::printf("no answer\n");
        std::fflush(stdout);
        done(status && *status >= 200 && *status <= 299 ? 0 : 1);
    });
}

} // namespace Stats
