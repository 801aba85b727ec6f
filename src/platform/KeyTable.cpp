#include "KeyTable.h"

#include <array>

namespace KeyTable {
namespace {
struct Row {
    int code;
    int qtKey;
    quint32 keysym;
    bool keypad;
};

using namespace KeyCode;

// Key codes with their Qt key and X11 keysym.
constexpr Row rows[] = {
    {A, Qt::Key_A, 0x61, false},          {S, Qt::Key_S, 0x73, false},
    {D, Qt::Key_D, 0x64, false},          {F, Qt::Key_F, 0x66, false},
    {H, Qt::Key_H, 0x68, false},          {G, Qt::Key_G, 0x67, false},
    {Z, Qt::Key_Z, 0x7a, false},          {X, Qt::Key_X, 0x78, false},
    {C, Qt::Key_C, 0x63, false},          {V, Qt::Key_V, 0x76, false},
    {B, Qt::Key_B, 0x62, false},          {Q, Qt::Key_Q, 0x71, false},
    {W, Qt::Key_W, 0x77, false},          {E, Qt::Key_E, 0x65, false},
    {R, Qt::Key_R, 0x72, false},          {Y, Qt::Key_Y, 0x79, false},
    {T, Qt::Key_T, 0x74, false},          {Digit1, Qt::Key_1, 0x31, false},
    {Digit2, Qt::Key_2, 0x32, false},     {Digit3, Qt::Key_3, 0x33, false},
    {Digit4, Qt::Key_4, 0x34, false},     {Digit6, Qt::Key_6, 0x36, false},
    {Digit5, Qt::Key_5, 0x35, false},     {Equal, Qt::Key_Equal, 0x3d, false},
    {Digit9, Qt::Key_9, 0x39, false},     {Digit7, Qt::Key_7, 0x37, false},
    {Minus, Qt::Key_Minus, 0x2d, false},  {Digit8, Qt::Key_8, 0x38, false},
    {Digit0, Qt::Key_0, 0x30, false},     {RightBracket, Qt::Key_BracketRight, 0x5d, false},
    {O, Qt::Key_O, 0x6f, false},          {U, Qt::Key_U, 0x75, false},
    {LeftBracket, Qt::Key_BracketLeft, 0x5b, false}, {I, Qt::Key_I, 0x69, false},
    {P, Qt::Key_P, 0x70, false},          {Return, Qt::Key_Return, 0xff0d, false},
    {L, Qt::Key_L, 0x6c, false},          {J, Qt::Key_J, 0x6a, false},
    {Quote, Qt::Key_Apostrophe, 0x27, false}, {K, Qt::Key_K, 0x6b, false},
    {Semicolon, Qt::Key_Semicolon, 0x3b, false}, {Backslash, Qt::Key_Backslash, 0x5c, false},
    {Comma, Qt::Key_Comma, 0x2c, false},  {Slash, Qt::Key_Slash, 0x2f, false},
    {N, Qt::Key_N, 0x6e, false},          {M, Qt::Key_M, 0x6d, false},
    {Period, Qt::Key_Period, 0x2e, false}, {Tab, Qt::Key_Tab, 0xff09, false},
    {Space, Qt::Key_Space, 0x20, false},  {Grave, Qt::Key_QuoteLeft, 0x60, false},
    {Delete, Qt::Key_Backspace, 0xff08, false}, {Escape, Qt::Key_Escape, 0xff1b, false},
    {Command, Qt::Key_Control, 0xffe3, false}, {RightCommand, Qt::Key_Control, 0xffe4, false},
    {Shift, Qt::Key_Shift, 0xffe1, false}, {CapsLock, Qt::Key_CapsLock, 0xffe5, false},
    {Option, Qt::Key_Alt, 0xffe9, false},  {Control, Qt::Key_Meta, 0xffeb, false},
    {RightShift, Qt::Key_Shift, 0xffe2, false}, {RightOption, Qt::Key_AltGr, 0xffea, false},
    {RightControl, Qt::Key_Meta, 0xffec, false},
    {F17, Qt::Key_F17, 0xffce, false},
    {KeypadDecimal, Qt::Key_Period, 0xffae, true}, {KeypadMultiply, Qt::Key_Asterisk, 0xffaa, true},
    {KeypadPlus, Qt::Key_Plus, 0xffab, true}, {KeypadClear, Qt::Key_Clear, 0xff0b, true},
    {KeypadDivide, Qt::Key_Slash, 0xffaf, true}, {KeypadEnter, Qt::Key_Enter, 0xff8d, true},
    {KeypadMinus, Qt::Key_Minus, 0xffad, true}, {F18, Qt::Key_F18, 0xffcf, false},
    {F19, Qt::Key_F19, 0xffd0, false},     {KeypadEquals, Qt::Key_Equal, 0xffbd, true},
    {Keypad0, Qt::Key_0, 0xffb0, true},    {Keypad1, Qt::Key_1, 0xffb1, true},
    {Keypad2, Qt::Key_2, 0xffb2, true},    {Keypad3, Qt::Key_3, 0xffb3, true},
    {Keypad4, Qt::Key_4, 0xffb4, true},    {Keypad5, Qt::Key_5, 0xffb5, true},
    {Keypad6, Qt::Key_6, 0xffb6, true},    {Keypad7, Qt::Key_7, 0xffb7, true},
    {F20, Qt::Key_F20, 0xffd1, false},     {Keypad8, Qt::Key_8, 0xffb8, true},
    {Keypad9, Qt::Key_9, 0xffb9, true},    {F5, Qt::Key_F5, 0xffc2, false},
    {F6, Qt::Key_F6, 0xffc3, false},       {F7, Qt::Key_F7, 0xffc4, false},
    {F3, Qt::Key_F3, 0xffc0, false},       {F8, Qt::Key_F8, 0xffc5, false},
    {F9, Qt::Key_F9, 0xffc6, false},       {F11, Qt::Key_F11, 0xffc8, false},
    {F13, Qt::Key_F13, 0xffca, false},     {F16, Qt::Key_F16, 0xffcd, false},
    {F14, Qt::Key_F14, 0xffcb, false},     {F10, Qt::Key_F10, 0xffc7, false},
    {F12, Qt::Key_F12, 0xffc9, false},     {F15, Qt::Key_F15, 0xffcc, false},
    {Help, Qt::Key_Help, 0xff6a, false},   {Home, Qt::Key_Home, 0xff50, false},
    {PageUp, Qt::Key_PageUp, 0xff55, false}, {ForwardDelete, Qt::Key_Delete, 0xffff, false},
    {F4, Qt::Key_F4, 0xffc1, false},       {End, Qt::Key_End, 0xff57, false},
    {F2, Qt::Key_F2, 0xffbf, false},       {PageDown, Qt::Key_PageDown, 0xff56, false},
    {F1, Qt::Key_F1, 0xffbe, false},       {Left, Qt::Key_Left, 0xff51, false},
    {Right, Qt::Key_Right, 0xff53, false}, {Down, Qt::Key_Down, 0xff54, false},
    {Up, Qt::Key_Up, 0xff52, false},
};

// Shifted symbols of the US layout, read as the key that carries them.
struct Shifted {
    int qtKey;
    int code;
};
constexpr Shifted shifted[] = {
    {Qt::Key_Exclam, Digit1},       {Qt::Key_At, Digit2},          {Qt::Key_NumberSign, Digit3},
    {Qt::Key_Dollar, Digit4},       {Qt::Key_Percent, Digit5},     {Qt::Key_AsciiCircum, Digit6},
    {Qt::Key_Ampersand, Digit7},    {Qt::Key_Asterisk, Digit8},    {Qt::Key_ParenLeft, Digit9},
    {Qt::Key_ParenRight, Digit0},   {Qt::Key_Underscore, Minus},   {Qt::Key_Plus, Equal},
    {Qt::Key_BraceLeft, LeftBracket}, {Qt::Key_BraceRight, RightBracket}, {Qt::Key_Bar, Backslash},
    {Qt::Key_Colon, Semicolon},     {Qt::Key_QuoteDbl, Quote},     {Qt::Key_Less, Comma},
    {Qt::Key_Greater, Period},      {Qt::Key_Question, Slash},     {Qt::Key_AsciiTilde, Grave},
    {Qt::Key_Backtab, Tab},         {Qt::Key_Super_L, Control},    {Qt::Key_Super_R, RightControl},
};
} // namespace

std::optional<int> fromQtKey(int qtKey, Qt::KeyboardModifiers mods)
{
    const bool keypad = mods.testFlag(Qt::KeypadModifier);
    // Qt reports keypad Enter as Key_Enter, sometimes without the keypad flag.
    if (qtKey == Qt::Key_Enter)
        return KeypadEnter;
    if (keypad) {
        for (const Row &r : rows)
            if (r.keypad && r.qtKey == qtKey)
                return r.code;
    }
    for (const Row &r : rows)
        if (!r.keypad && r.qtKey == qtKey)
            return r.code;
    for (const Shifted &s : shifted)
        if (s.qtKey == qtKey)
            return s.code;
    // Keypad keys that only the keypad has.
    for (const Row &r : rows)
        if (r.keypad && r.qtKey == qtKey)
            return r.code;
    return std::nullopt;
}

std::optional<int> toQtKey(int code, bool *keypad)
{
    for (const Row &r : rows) {
        if (r.code == code) {
            if (keypad)
                *keypad = r.keypad;
            return r.qtKey;
        }
    }
    return std::nullopt;
}

std::optional<quint32> toKeysym(int code)
{
    for (const Row &r : rows)
        if (r.code == code)
            return r.keysym;
    return std::nullopt;
}

std::optional<int> fromKeysym(quint32 keysym)
{
    // Upper-case letters come from the shifted level; read them as their key.
    if (keysym >= 0x41 && keysym <= 0x5a)
        keysym += 0x20;
    for (const Row &r : rows)
        if (r.keysym == keysym)
            return r.code;
    // Keypad keys with NumLock off.
    static constexpr std::array<std::pair<quint32, int>, 11> keypadNav = {{
        {0xff9e, Keypad0}, {0xff9c, Keypad1}, {0xff99, Keypad2}, {0xff9b, Keypad3},
        {0xff96, Keypad4}, {0xff9d, Keypad5}, {0xff98, Keypad6}, {0xff95, Keypad7},
        {0xff97, Keypad8}, {0xff9a, Keypad9}, {0xff9f, KeypadDecimal},
    }};
    for (const auto &[sym, code] : keypadNav)
        if (sym == keysym)
            return code;
    return std::nullopt;
}

quint64 flagsFromQt(Qt::KeyboardModifiers mods)
{
    quint64 f = 0;
    if (mods & Qt::ShiftModifier)
        f |= EventFlag::Shift;
    if (mods & Qt::ControlModifier)
        f |= EventFlag::Command;
    if (mods & Qt::AltModifier)
        f |= EventFlag::Option;
    if (mods & Qt::MetaModifier)
        f |= EventFlag::Control;
    return f;
}

Qt::KeyboardModifiers qtFromFlags(quint64 flags)
{
    Qt::KeyboardModifiers m;
    if (flags & EventFlag::Shift)
        m |= Qt::ShiftModifier;
    if (flags & EventFlag::Command)
        m |= Qt::ControlModifier;
    if (flags & EventFlag::Option)
        m |= Qt::AltModifier;
    if (flags & EventFlag::Control)
        m |= Qt::MetaModifier;
    return m;
}

} // namespace KeyTable
