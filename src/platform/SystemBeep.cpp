#include "platform/SystemBeep.h"

#include <QApplication>

namespace {
std::function<void()> &replacement()
{
    static std::function<void()> beep;
    return beep;
}
} // namespace

void SystemBeep::play()
{
    if (replacement())
        replacement()();
    else
        QApplication::beep();
}

void SystemBeep::setForTesting(std::function<void()> beep)
{
    replacement() = std::move(beep);
}
