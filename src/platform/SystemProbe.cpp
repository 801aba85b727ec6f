#include "SystemProbe.h"

#include "platform/linux/LinuxSystemProbe.h"

#include <atomic>

namespace {
std::atomic<SystemProbe *> replacement{nullptr};
}

SystemProbe &SystemProbe::system()
{
    static LinuxSystemProbe probe;
    return probe;
}

void SystemProbe::setCurrent(SystemProbe *probe)
{
    replacement.store(probe);
}

SystemProbe &SystemProbe::current()
{
    SystemProbe *probe = replacement.load();
    return probe ? *probe : system();
}
