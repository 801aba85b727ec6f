#pragma once
#include <QByteArray>
#include <QString>

#include <functional>

// Writing files so that a reader never sees half of one and nothing is overwritten unasked.
// Each returns false (or an empty path) on failure and then, when given, sets *error to the
// system's reason.
namespace FileWrites {

// Files made for others to open (exports) are 0644 before the umask; the application's own
// files use PrivateFiles, which passes ownerOnly.
constexpr int sharedMode = 0644;
constexpr int ownerOnly = 0600;

// Creates the file (it must not exist), writes the bytes and flushes them to the disk.
bool writeSynced(const QString &path, const QByteArray &bytes, QString *error = nullptr, int mode = sharedMode);
// Writes the bytes to a temporary name beside path, then renames it into place (replacing what
// was there).
bool replaceAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                       int mode = sharedMode);
// Flushes a folder's list of names to the disk.
void syncFolder(const QString &path);
// Writes the bytes whole under a hidden temporary name in folder, then gives the file the first
// name of nameFor(1), nameFor(2), ... that nobody holds, in one step that never replaces a file
// (a name taken meanwhile by someone else moves on to the next number). Returns the new file's
// path; empty on failure, with the temporary file gone.
QString writeNew(const QString &folder, const std::function<QString(int n)> &nameFor, const QByteArray &bytes,
                 QString *error = nullptr);

} // namespace FileWrites
