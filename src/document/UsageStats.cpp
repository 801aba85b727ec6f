#include "UsageStats.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace UsageStats {

Payload::Payload(const QString &id, const QString &v, qint64 build, const QString &os, qint64 captures)
    : id(id.toLower())
    , v(v)
    , build(build)
    , os(os)
    , captures(std::max<qint64>(captures, 0))
{
}

qint64 buildNumber(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    if (!whole.match(text).hasMatch())
        return 0;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? n : 0;
}

std::optional<QByteArray> json(const Payload &payload)
{
    // QJsonObject keeps its keys sorted, and the compact form has no white space.
    QJsonObject o;
    o.insert(QStringLiteral("id"), payload.id);
    o.insert(QStringLiteral("v"), payload.v);
    o.insert(QStringLiteral("build"), payload.build);
    o.insert(QStringLiteral("os"), payload.os);
    o.insert(QStringLiteral("captures"), payload.captures);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool isDue(const QDateTime &now, const std::optional<QDateTime> &lastSent, qint64 count, qint64 lastCount)
{
    if (!lastSent || !lastSent->isValid())
        return true;
    const qint64 age = lastSent->secsTo(now);
    if (age < 0 || age >= fullInterval)
        return true;
    return age >= changedInterval && count != lastCount;
}

const QStringList &optOutRegions()
{
    // The European Union, the rest of the European Economic Area, the United Kingdom under
    // both codes, Switzerland.
    static const QStringList regions = {
        QStringLiteral("AT"), QStringLiteral("BE"), QStringLiteral("BG"), QStringLiteral("HR"),
        QStringLiteral("CY"), QStringLiteral("CZ"), QStringLiteral("DK"), QStringLiteral("EE"),
        QStringLiteral("FI"), QStringLiteral("FR"), QStringLiteral("DE"), QStringLiteral("GR"),
        QStringLiteral("HU"), QStringLiteral("IE"), QStringLiteral("IT"), QStringLiteral("LV"),
        QStringLiteral("LT"), QStringLiteral("LU"), QStringLiteral("MT"), QStringLiteral("NL"),
        QStringLiteral("PL"), QStringLiteral("PT"), QStringLiteral("RO"), QStringLiteral("SK"),
        QStringLiteral("SI"), QStringLiteral("ES"), QStringLiteral("SE"), QStringLiteral("IS"),
        QStringLiteral("LI"), QStringLiteral("NO"), QStringLiteral("GB"), QStringLiteral("UK"),
        QStringLiteral("CH"),
    };
    return regions;
}

bool shareByDefault(const QString &regionCode)
{
    if (regionCode.isEmpty())
        return true;
    static const QSet<QString> set(optOutRegions().begin(), optOutRegions().end());
    return !set.contains(regionCode.toUpper());
}

} // namespace UsageStats
