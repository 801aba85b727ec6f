#include "platform/DisplayProfile.h"

#include "platform/linux/X11Props.h"

namespace {
std::optional<QColorSpace> &testSpace()
{
    static std::optional<QColorSpace> space;
    return space;
}
} // namespace

QColorSpace DisplayProfile::colorSpace()
{
    if (testSpace())
        return *testSpace();
    if (const xcb_atom_t icc = X11Props::atom("_ICC_PROFILE")) {
        if (const auto data = X11Props::bytes(X11Props::root(), icc); data && !data->isEmpty()) {
            const QColorSpace space = QColorSpace::fromIccProfile(*data);
            if (space.isValid())
                return space;
        }
    }
    return QColorSpace(QColorSpace::SRgb);
}

void DisplayProfile::setForTesting(std::optional<QColorSpace> space)
{
    testSpace() = std::move(space);
}
