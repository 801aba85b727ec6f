#include "TalkModifiers.h"
#include "platform/KeyTable.h"

#include <algorithm>
#include <iterator>

namespace {
struct ModifierKey {
    quint32 keysym;
    quint16 code;
    quint64 device;
    quint64 flag;
};

constexpr ModifierKey modifierKeys[] = {
    {0xffeb, KeyCode::Control, 0x0001, EventFlag::Control},        // Super_L
    {0xffec, KeyCode::RightControl, 0x2000, EventFlag::Control},   // Super_R
    {0xffe1, KeyCode::Shift, 0x0002, EventFlag::Shift},            // Shift_L
    {0xffe2, KeyCode::RightShift, 0x0004, EventFlag::Shift},       // Shift_R
    {0xffe3, KeyCode::Command, 0x0008, EventFlag::Command},        // Control_L
    {0xffe4, KeyCode::RightCommand, 0x0010, EventFlag::Command},   // Control_R
    {0xffe9, KeyCode::Option, 0x0020, EventFlag::Option},          // Alt_L
    {0xffea, KeyCode::RightOption, 0x0040, EventFlag::Option},     // Alt_R
    {0xfe03, KeyCode::RightOption, 0x0040, EventFlag::Option},     // ISO_Level3_Shift (AltGr)
};
} // namespace

quint64 TalkModifiers::flags() const
{
    quint64 out = m_held;
    for (const ModifierKey &k : modifierKeys) {
        if (m_held & k.device)
            out |= k.flag;
    }
    return out;
}

bool TalkModifiers::isModifier(quint32 keysym)
{
    return std::any_of(std::begin(modifierKeys), std::end(modifierKeys),
                       [keysym](const ModifierKey &k) { return k.keysym == keysym; });
}

std::optional<TalkModifiers::Change> TalkModifiers::key(quint32 keysym, bool pressed)
{
    for (const ModifierKey &k : modifierKeys) {
        if (k.keysym != keysym)
            continue;
        if (pressed)
            m_held |= k.device;
        else
            m_held &= ~k.device;
        return Change{k.code, flags()};
    }
    return std::nullopt;
}
