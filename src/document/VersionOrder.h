#pragma once
#include <QString>

// Orders version texts the way people read them: runs of digits compare as numbers ("1.10" comes
// after "1.9", "2" equals "02"), every other character compares by itself.
namespace VersionOrder {
// Negative when a comes before b, zero when they are equal, positive when a comes after b.
int compare(const QString &a, const QString &b);
inline bool isNewer(const QString &candidate, const QString &current)
{
    return compare(candidate, current) > 0;
}
} // namespace VersionOrder
