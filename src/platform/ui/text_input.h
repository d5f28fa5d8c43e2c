// Typing into a UTF-8 text one character at a time, for the editors of hosts without widgets.
#pragma once

#include <string>

namespace platform::ui {

// Adds the code point `c` to `text`.
void appendUtf8(std::string& text, char32_t c);
// Removes the last code point of `text`; nothing when it is empty.
void dropLastUtf8(std::string& text);

}  // namespace platform::ui
