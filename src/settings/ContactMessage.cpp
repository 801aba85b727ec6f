#include "ContactMessage.h"

#include "platform/BuildInfo.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

namespace ContactMessage {

std::optional<QUrl> endpoint()
{
    const QUrl configured(BuildInfo::contactUrl(), QUrl::StrictMode);
    if (configured.isValid() && configured.scheme() == QLatin1String("https")
        && !configured.host().isEmpty())
        return configured;
    const QString host = BuildInfo::makerHost();
    if (host.isEmpty())
        return std::nullopt;
    // The host may carry a port ("example.com:8443").
    const QUrl fallback(QStringLiteral("https://") + host + QStringLiteral("/v1/contact"), QUrl::StrictMode);
    if (!fallback.isValid() || fallback.host().isEmpty() || fallback.path() != QLatin1String("/v1/contact"))
        return std::nullopt;
    return fallback;
}

QString appVersionText()
{
    const auto orZero = [](const QString &text) { return text.isEmpty() ? QStringLiteral("0") : text; };
    return orZero(BuildInfo::version()) + QStringLiteral(" (") + orZero(BuildInfo::build())
           + QStringLiteral(")");
}

QByteArray body(const QString &email, const QString &message)
{
    const QJsonObject o{
        {QStringLiteral("email"), email.trimmed()},
        {QStringLiteral("message"), message.trimmed()},
        {QStringLiteral("source"), QStringLiteral("app")},
        {QStringLiteral("app"), appVersionText()},
        {QStringLiteral("os"), QSysInfo::prettyProductName()},
        {QStringLiteral("website"), QString()},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString placeholderEmail()
{
    return QStringLiteral("you@example.com");
}

} // namespace ContactMessage
