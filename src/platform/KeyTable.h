#pragma once
#include <Qt>
#include <QtGlobal>

#include <cstdint>
#include <optional>

// The application's own key codes and modifier bits, as stored in shortcuts and used by every key
// rule, and their translation to Qt keys and X11 keysyms (both ways).
namespace KeyCode {
constexpr int A = 0, S = 1, D = 2, F = 3, H = 4, G = 5, Z = 6, X = 7, C = 8, V = 9, B = 11, Q = 12,
              W = 13, E = 14, R = 15, Y = 16, T = 17, Digit1 = 18, Digit2 = 19, Digit3 = 20,
              Digit4 = 21, Digit6 = 22, Digit5 = 23, Equal = 24, Digit9 = 25, Digit7 = 26,
              Minus = 27, Digit8 = 28, Digit0 = 29, RightBracket = 30, O = 31, U = 32,
              LeftBracket = 33, I = 34, P = 35, Return = 36, L = 37, J = 38, Quote = 39, K = 40,
              Semicolon = 41, Backslash = 42, Comma = 43, Slash = 44, N = 45, M = 46, Period = 47,
              Tab = 48, Space = 49, Grave = 50, Delete = 51, Escape = 53, RightCommand = 54,
              Command = 55, Shift = 56, CapsLock = 57, Option = 58, Control = 59,
              RightShift = 60, RightOption = 61, RightControl = 62, Function = 63, F17 = 64,
              KeypadDecimal = 65, KeypadMultiply = 67, KeypadPlus = 69, KeypadClear = 71,
              KeypadDivide = 75, KeypadEnter = 76, KeypadMinus = 78, F18 = 79, F19 = 80,
              KeypadEquals = 81, Keypad0 = 82, Keypad1 = 83, Keypad2 = 84, Keypad3 = 85,
              Keypad4 = 86, Keypad5 = 87, Keypad6 = 88, Keypad7 = 89, F20 = 90, Keypad8 = 91,
              Keypad9 = 92, F5 = 96, F6 = 97, F7 = 98, F3 = 99, F8 = 100, F9 = 101, F11 = 103,
              F13 = 105, F16 = 106, F14 = 107, F10 = 109, F12 = 111, F15 = 113, Help = 114,
              Home = 115, PageUp = 116, ForwardDelete = 117, F4 = 118, End = 119, F2 = 120,
              PageDown = 121, F1 = 122, Left = 123, Right = 124, Down = 125, Up = 126;
} // namespace KeyCode

// Modifier bits of key and mouse events (Ctrl is the application's Command, Super its Control,
// Alt its Option).
namespace EventFlag {
constexpr quint64 Shift = 1ull << 17, Control = 1ull << 18, Option = 1ull << 19,
                  Command = 1ull << 20,
                  NumericPad = 1ull << 21, // a key of the number pad (Qt::KeypadModifier)
                  Function = 1ull << 23;   // a function, arrow or navigation key
}

namespace KeyTable {
// Key code for a Qt key; keypad keys need Qt::KeypadModifier in mods. Shifted symbols of the
// US layout ("@" for Shift+2) map to their key. Nothing for keys the table does not know.
std::optional<int> fromQtKey(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Qt key for a key code; the bool tells whether it is a keypad key.
std::optional<int> toQtKey(int code, bool *keypad = nullptr);

// X11 keysym (unshifted level) for a key code, and back.
std::optional<quint32> toKeysym(int code);
std::optional<int> fromKeysym(quint32 keysym);

// Event modifier bits from Qt modifiers and back.
quint64 flagsFromQt(Qt::KeyboardModifiers mods);
Qt::KeyboardModifiers qtFromFlags(quint64 flags);
} // namespace KeyTable
