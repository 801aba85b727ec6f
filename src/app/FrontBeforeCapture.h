#pragma once
#include "platform/RunningApp.h"

#include <optional>

// The application a capture records as the one the user was in, for sending the picture there:
// the application in front, unless that is Quillet itself (its welcome window, its settings), in
// which case the last other application that was in front. Main thread only.
namespace FrontBeforeCapture {

// Follows the front application from now on; calling it again changes nothing.
void startWatching();
// The application to record now; none when Quillet is in front and no other application was
// seen in front since watching began.
std::optional<RunningApp> now();
// Whether the application is this process (by its process id or one of its windows).
bool isOwn(const RunningApp &app);
// Tests: forgets the application seen last.
void resetForTesting();

} // namespace FrontBeforeCapture
