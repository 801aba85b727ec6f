#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// File operations the history is built from (besides those of FileWrites). Each returns false on failure and then, when given,
// sets *error to the system's reason.
namespace HistoryFiles {

// A second name for an existing file (a copy where links are not possible).
bool linkOrCopy(const QString &from, const QString &to, QString *error = nullptr);
// Swaps two paths in one step. Sets *unsupported when the file system cannot do it.
bool exchange(const QString &a, const QString &b, bool *unsupported, QString *error = nullptr);
// Renames from to to; fails when to exists (unless it is an empty folder).
bool rename(const QString &from, const QString &to, QString *error = nullptr);
// Deletes a file, or a folder with everything in it (links are removed, never followed).
bool removeTree(const QString &path);
// Takes the path away at once by renaming it to a hidden name beside it, then deletes it; when
// it cannot be renamed, deletes it where it is.
bool removeAtOnce(const QString &path);
// Hidden names of work folders: "." + kind + "-" + base + "-" + a random suffix.
QString workName(const QString &kind, const QString &base);
// Deletes work folders of earlier runs in the folder that are older than a minute (every one with
// all), except that an entry set aside whose place is still free is put back.
void sweepWorkFolders(const QString &folder, bool all = false);
// The entry folders in folder: its sub-folders that are not hidden work folders.
QStringList entryFolders(const QString &folder);
// Moves the sub-folders left in from (a folder being deleted) back into to, each under its own
// name where that is free, then deletes from when it is empty.
void putBack(const QString &from, const QString &to);
// The PNG form of a picture; empty when it cannot be encoded.
QByteArray pngData(const QImage &picture);

} // namespace HistoryFiles
