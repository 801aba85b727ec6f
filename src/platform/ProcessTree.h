#pragma once
#include <QtGlobal>

// Parentage of running processes (on Linux: the parent ids in /proc). Safe on any thread.
namespace ProcessTree {

// The parent of a running process; 0 when it is gone or cannot be read.
qint64 parentOf(qint64 pid);
// Whether `pid` is `ancestor` itself or was started by it, directly or through other processes
// (a launcher script that starts the real program). False for a zero id.
bool descendsFrom(qint64 pid, qint64 ancestor);

} // namespace ProcessTree
