#pragma once
#include <QString>

// Writes a record of a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP) before the
// process ends by it as it would have without us: same signal, same core dump. The handler runs
// on an alternate stack (so a stack overflow is caught too) and uses only async-signal-safe calls:
// it creates the record under a name fixed at install, writes the signal, address and time and
// the build's facts first, then the frames and the memory map, and renames it to its final name
// when complete. A second thread that crashes meanwhile waits for the first to end the process.
namespace CrashCapture {
struct Facts {
    QString version;
    QString build;
    QString commit;
    QString bundleID;
};

// Installs the handlers for this process; records go into folder. Safe to call again (the
// facts and folder are replaced). False when the folder cannot be made.
bool install(const QString &folder, const Facts &facts);
// Removes the handlers (tests).
void uninstall();
// Gives the calling thread its own alternate signal stack; our own threads call it at their
// start and undo it with releaseThisThread before they end.
void protectThisThread();
void releaseThisThread();

// Called by the uncaught-exception handler just before it aborts: the frames it saw (the
// throw site still on the stack) are the record's frames instead of those of abort().
void noteTerminateFrames(void *const *frames, int count);

// The names of this process's record, while it is written and when complete.
QString pendingPath();
QString recordPath();

// The GNU build id of the main program in hex, or empty.
QString ownBuildId();
} // namespace CrashCapture
