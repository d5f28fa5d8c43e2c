// Qt key events as the screen's handlers see keys: classic virtual-key codes, modifier states
// and the character a key types.
#pragma once

#include <Qt>

#include "platform/ui/keys.h"

class QKeyEvent;

namespace desktop {

// The virtual-key code of a Qt key (letters and digits as their upper-case ASCII codes);
// kNoKey for keys without one.
platform::ui::Key virtualKey(int qtKey);
platform::ui::ShiftState shiftState(Qt::KeyboardModifiers modifiers);
// The character the event types (Esc 27, Enter 13, Backspace 8, Ctrl+letter 1..26, printable
// text as its code point); 0 when it types none.
char32_t typedChar(const QKeyEvent& event);

}  // namespace desktop
