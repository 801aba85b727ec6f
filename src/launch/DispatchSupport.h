#pragma once
#include "platform/RunningApp.h"

#include <QString>

#include <exception>
#include <optional>

namespace DispatchSupport {
// Seconds on a monotonic clock.
double mediaTime();
// The application the user was in: the one in front now, or the last other one while Quillet
// itself is in front; nothing when there is none.
std::optional<RunningApp> frontmostApp();
// The text of a failed freeze for the alert and the log.
QString describe(const std::exception_ptr &error);
} // namespace DispatchSupport
