#pragma once
#include <QByteArray>
#include <QString>

// The application's own files under its data and state homes hold what the user captured, the
// files they opened and their reports: only the user may read them. Every folder made there is
// 0700 and every file written there 0600, whatever the umask, and start-up narrows what an
// older version left wider. Each write returns false on failure and then, when given, sets
// *error to the system's reason.
namespace PrivateFiles {

// Creates path and any missing parents as 0700 folders; a folder already there of ours is
// narrowed to 0700. True when path is a folder afterwards.
bool makeFolder(const QString &path);
// Writes the bytes whole under a temporary name, then renames it over path (0600, synced); the
// folder is made first.
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// Creates path, which must not exist, with the bytes (0600, synced).
bool writeNew(const QString &path, const QByteArray &bytes, QString *error = nullptr);
// Narrows the folder and everything below it that this user owns: folders to 0700, files to
// 0600. Links are never followed; other users' files are left alone.
void tighten(const QString &root);
// The application's folders under the data and state homes, narrowed as tighten() does.
void tightenHomes();

} // namespace PrivateFiles
