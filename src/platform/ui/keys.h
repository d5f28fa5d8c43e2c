// Keys, modifier states, mouse buttons and menu shortcuts as the screen's handlers see them.
// Key codes are the classic virtual-key numbers; letters and digits are their upper-case ASCII
// codes ('T' == 84). A handler consumes a key by setting it to 0 (kNoKey).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace platform::ui {

using Key = uint16_t;

inline constexpr Key kNoKey = 0;
inline constexpr Key VK_BACK = 8;
inline constexpr Key VK_TAB = 9;
inline constexpr Key VK_RETURN = 13;
inline constexpr Key VK_SHIFT = 16;
inline constexpr Key VK_CONTROL = 17;
inline constexpr Key VK_MENU = 18;  // Alt
inline constexpr Key VK_ESCAPE = 27;
inline constexpr Key VK_SPACE = 32;
inline constexpr Key VK_PRIOR = 33;  // Page Up
inline constexpr Key VK_NEXT = 34;   // Page Down
inline constexpr Key VK_END = 35;
inline constexpr Key VK_HOME = 36;
inline constexpr Key VK_LEFT = 37;
inline constexpr Key VK_UP = 38;
inline constexpr Key VK_RIGHT = 39;
inline constexpr Key VK_DOWN = 40;
inline constexpr Key VK_INSERT = 45;
inline constexpr Key VK_DELETE = 46;
inline constexpr Key VK_F1 = 112;
inline constexpr Key VK_F2 = 113;
inline constexpr Key VK_F3 = 114;
inline constexpr Key VK_F4 = 115;
inline constexpr Key VK_F5 = 116;
inline constexpr Key VK_F6 = 117;
inline constexpr Key VK_F7 = 118;
inline constexpr Key VK_F8 = 119;
inline constexpr Key VK_F9 = 120;
inline constexpr Key VK_F10 = 121;
inline constexpr Key VK_F11 = 122;
inline constexpr Key VK_F12 = 123;

// The key of a letter or digit ('t' and 'T' both give 84). REQUIRES: c is a letter or digit,
// else kNoKey.
constexpr Key keyOf(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<Key>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<Key>(c);
  return kNoKey;
}

enum class Modifier : uint8_t { Shift = 1, Ctrl = 2, Alt = 4 };

// The modifier keys held down with a key or mouse event.
class ShiftState {
 public:
  constexpr ShiftState() = default;
  constexpr ShiftState(std::initializer_list<Modifier> modifiers) {
    for (Modifier m : modifiers)
      bits_ |= static_cast<uint8_t>(m);
  }
  constexpr bool contains(Modifier m) const { return (bits_ & static_cast<uint8_t>(m)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr ShiftState operator|(ShiftState other) const {
    ShiftState s;
    s.bits_ = static_cast<uint8_t>(bits_ | other.bits_);
    return s;
  }
  constexpr uint8_t bits() const { return bits_; }
  constexpr bool operator==(const ShiftState&) const = default;

 private:
  uint8_t bits_ = 0;
};

inline constexpr ShiftState ssNone{};
inline constexpr ShiftState ssShift{Modifier::Shift};
inline constexpr ShiftState ssCtrl{Modifier::Ctrl};
inline constexpr ShiftState ssAlt{Modifier::Alt};

enum class MouseButton : uint8_t { Left, Right, Middle };

// The display name of a key: "Enter", "Esc", "Ins", "Del", "F3", "T", "PgUp"...; "" for
// kNoKey; "Key 200" for a code without a name.
std::string keyName(Key key);

// A key with its modifiers, as a menu item's shortcut.
class ShortCut {
 public:
  constexpr ShortCut() = default;  // none
  constexpr ShortCut(Key key, ShiftState shift = ssNone) : key_(key), shift_(shift) {}

  constexpr Key key() const { return key_; }
  constexpr ShiftState shift() const { return shift_; }
  constexpr bool isNone() const { return key_ == kNoKey; }
  // True when this shortcut is exactly that key with exactly those modifiers.
  constexpr bool matches(Key key, ShiftState shift) const {
    return !isNone() && key_ == key && shift_ == shift;
  }

  // "Ctrl+T", "Ctrl+Del", "Ins", "F3", "Ctrl+Enter", "Esc"; modifiers in the order Ctrl, Alt,
  // Shift; "" for none.
  std::string text() const;
  // Reads text() back, case-insensitively, also with the long names "Insert", "Delete",
  // "Escape", "Return", "PageUp", "PageDown" and modifiers in any order. "" gives none.
  // Returns nullopt for anything else.
  static std::optional<ShortCut> parse(std::string_view text);

  constexpr bool operator==(const ShortCut&) const = default;

 private:
  Key key_ = kNoKey;
  ShiftState shift_;
};

}  // namespace platform::ui
