#include "platform/FrontApplication.h"

#include "platform/linux/X11FrontApplication.h"

namespace {
std::shared_ptr<FrontApplication> &slot()
{
    static std::shared_ptr<FrontApplication> instance;
    return instance;
}
} // namespace

FrontApplication &FrontApplication::shared()
{
    if (!slot())
        slot() = std::make_shared<X11FrontApplication>();
    return *slot();
}

void FrontApplication::setShared(std::shared_ptr<FrontApplication> instance)
{
    slot() = std::move(instance);
}
