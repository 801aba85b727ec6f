#include "platform/WindowList.h"

#include "platform/linux/X11WindowList.h"

namespace {
std::shared_ptr<WindowList> &slot()
{
    static std::shared_ptr<WindowList> instance;
    return instance;
}
} // namespace

WindowList &WindowList::shared()
{
    if (!slot())
        slot() = std::make_shared<X11WindowList>();
    return *slot();
}

void WindowList::setShared(std::shared_ptr<WindowList> list)
{
    slot() = std::move(list);
}
