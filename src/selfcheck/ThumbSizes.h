#pragma once

namespace Autopilot {

// The page rail's thumbnail heights, on a rail of its own that is never shown: a thumbnail keeps
// its height when its small picture gives way to the full one, when the pages change places or
// one above it goes, and gets a new one only when its page's shape really changed. Three check
// lines.
void thumbSizeChecks();

} // namespace Autopilot
