#pragma once
#include "document/UsageStats.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The anonymous usage count sent once a day where the user allows it. Main thread only.
namespace Stats {
// Whether a self-check is running now: nothing is sent while one is. Reads the self-check flag;
// tests replace it.
extern std::function<bool()> selfCheckRunning;
// Milliseconds a post may take before it counts as unanswered (tests shorten it).
extern int timeoutMs;

// A first look 5 s from now, then one every hour. Once per process.
void startSchedule();
// Sends the count when statistics are allowed, none is under way and one is due.
void sendIfDue();
// The user shares statistics, no self-check runs, and this build has a statistics endpoint.
bool allowed();
// "QLStatsURL" when it is an https URL; empty otherwise, and then nothing is sent.
QUrl endpoint();
// The install's statistics id, made and stored on first use.
QString id();
// The count of this build and system.
UsageStats::Payload payload(const QString &id, qint64 captures);
// The system's name and version as the count carries them ("debian 12").
QString osText();
// One POST over https without redirects; the completion gets the HTTP status, or nothing when
// there was no answer (a plain http URL gets none).
void post(const UsageStats::Payload &payload, const QUrl &url, std::function<void(std::optional<int> status)> completion);
// Records a finished send of this count.
void sent(std::optional<int> status, qint64 count);
// "--stats-send-test": posts one count with the fixed test id to the URL text (or the endpoint),
// prints the target, the JSON and the answer, then calls done with 0 (2xx) or 1.
void sendTest(const QString &urlText, std::function<void(int code)> done);
// Whether a send is under way (tests).
bool inFlight();
} // namespace Stats
