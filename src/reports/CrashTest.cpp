#include "Reports.h"

#include "app/ActivityLog.h"

#include <csignal>
#include <cstdlib>

namespace Reports {

// Kept out of line and exported, so that the crash report names this very function.
__attribute__((noinline, visibility("default"))) void deliberateCrashForTesting()
{
    activityLog(QStringLiteral("crash test: reading past the end of an empty list"));
    raise(SIGTRAP);
    // Not reached once the trap has ended the process; also keeps the call above from becoming
    // a jump that would leave this function's frame off the stack.
    std::abort();
}

} // namespace Reports
