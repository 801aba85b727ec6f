#include "KeypadEnter.h"

#include "KeyTable.h"

KeyStroke keypadEnterAsReturn(const KeyStroke &key)
{
    if (key.keyCode != KeyCode::KeypadEnter)
        return key;
    return {KeyCode::Return, QStringLiteral("\r"), key.flags & ~(EventFlag::NumericPad | EventFlag::Function)};
}
