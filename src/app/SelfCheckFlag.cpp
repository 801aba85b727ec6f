#include "SelfCheckFlag.h"

#include <atomic>

namespace SelfCheckFlag {
namespace {
std::atomic<bool> flag{false};
}
bool isSet() { return flag.load(std::memory_order_relaxed); }
void set(bool on) { flag.store(on, std::memory_order_relaxed); }
} // namespace SelfCheckFlag
