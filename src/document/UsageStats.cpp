#include "UsageStats.h"

#include <QSet>

namespace UsageStats {

bool shareByDefault(const QString &regionCode)
{
    if (regionCode.isEmpty())
        return true;
    static const QSet<QString> optOutRegions = {
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
    return !optOutRegions.contains(regionCode.toUpper());
}

} // namespace UsageStats
