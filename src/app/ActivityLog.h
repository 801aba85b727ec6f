#pragma once
#include <QString>
#include <QStringList>

// The activity log: app.log in the log folder, one time-stamped line per message, rolled over to
// app.1.log above 400000 bytes. Callable from any thread; never fails.
void activityLog(const QString &message);

// The end of the activity log (app.1.log in front when app.log alone is shorter), at most
// maxBytes UTF-8 bytes from a line start, with the home folder and account name scrubbed.
QString activityLogTail(qint64 maxBytes);

// Appends one line of capture timings to capture.log: the time stamp without fractions, a blank,
// then text. Called on the main thread by the capture dispatch.
void appendCaptureLog(const QString &text);

namespace ActivityLog {
constexpr qint64 rolloverBytes = 400000;
QString folder();
QString logPath();         // app.log
QString previousLogPath(); // app.1.log
QString captureLogPath();  // capture.log
// Closes the write handle so the next message reopens the file (tests that replace the files).
void closeForTesting();
} // namespace ActivityLog
