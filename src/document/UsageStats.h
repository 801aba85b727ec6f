#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The anonymous usage count: what one send carries, its JSON form and when a send is due.
namespace UsageStats {
// A send is due a day after the last one, or after six hours when the capture count changed.
inline constexpr qint64 fullInterval = 86400;
inline constexpr qint64 changedInterval = 21600;

struct Payload {
    QString id;        // the install's statistics id, lower case
    QString v;         // the version text
    qint64 build = 0;  // the build number
    QString os;        // the system's name and version
    qint64 captures = 0; // never below 0

    Payload() = default;
    Payload(const QString &id, const QString &v, qint64 build, const QString &os, qint64 captures);
    bool operator==(const Payload &) const = default;
};

// A build number text read as a whole decimal number (optional sign, digits only); 0 otherwise.
qint64 buildNumber(const QString &text);
// One compact object with sorted keys: build, captures, id, os, v.
std::optional<QByteArray> json(const Payload &payload);
// Never sent, sent "in the future" or a day ago: due; six hours ago with another count: due.
bool isDue(const QDateTime &now, const std::optional<QDateTime> &lastSent, qint64 count, qint64 lastCount);
// The regions where sharing is off until the user turns it on (upper case).
const QStringList &optOutRegions();
// Whether usage statistics are shared while the user has not chosen: yes without a region code,
// no in the regions whose rules ask for an explicit choice.
bool shareByDefault(const QString &regionCode);
} // namespace UsageStats
