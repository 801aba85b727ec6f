#pragma once
#include <QString>

namespace UsageStats {
// Whether usage statistics are shared while the user has not chosen: yes without a region code,
// no in the regions whose rules ask for an explicit choice.
bool shareByDefault(const QString &regionCode);
}
