#pragma once
#include <QString>

class QUrl;

// Facts about this build, fixed when it was configured. The keys are the ones the rest of the
// application asks for ("SUFeedURL", "SUPublicEDKey", "QLCommit", "QLBuildDate", "QLReportURL",
// "QLContactURL", "QLStatsURL", "QLMakerHost", "QLMakerEmail", "CFBundleShortVersionString",
// "CFBundleVersion", "CFBundleIdentifier").
namespace BuildInfo {
QString version();   // e.g. "1.10"
QString build();     // build number
QString buildDate(); // yyyy-MM-dd
QString commit();
QString bundleIdentifier(); // "app.quillet" in a release, "app.quillet.dev" in a development build
QString feedUrl();     // empty in a development build
QString publicEdKey(); // base64 Ed25519 key that signs update downloads
QString reportUrl();
QString contactUrl();
QString statsUrl();
QString makerHost();  // host of the maker's endpoints, empty when not configured
QString makerEmail(); // the maker's e-mail address, empty when not configured
// The text as an address reports may go to: an https URL with a host; empty otherwise.
QUrl httpsAddress(const QString &text);
// Whether this build has an address for problem reports ("QLReportURL") or for the usage
// statistics ("QLStatsURL"). Without one nothing of that kind leaves the machine.
bool sendsReports();
bool sendsStatistics();
// Looks a value up by its key; empty when the key is unknown or the value was not set.
QString value(const QString &key);
// Tests replace single values; an empty text removes the override.
void overrideValue(const QString &key, const QString &value);
} // namespace BuildInfo
