#pragma once

// Whether the application shows in the taskbar: regular (its windows are listed there) or
// accessory (they are kept out of it; the tray icon stays). Applies to every ordinary top-level
// window of the process, those shown later included. Main thread only.
enum class ActivationPolicy { regular, accessory };

namespace TaskbarPolicy {
ActivationPolicy policy();
void setPolicy(ActivationPolicy policy);
} // namespace TaskbarPolicy
