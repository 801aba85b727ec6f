#pragma once
#include "platform/RunningApp.h"

#include <QString>

#include <exception>
#include <optional>

namespace DispatchSupport {
// Seconds on a monotonic clock.
double mediaTime();
// The application in front now, or nothing.
std::optional<RunningApp> frontmostApp();
// The text of a failed freeze for the alert and the log.
QString describe(const std::exception_ptr &error);
} // namespace DispatchSupport
