#include "platform/ui/keys.h"

#include <array>
#include <utility>

namespace platform::ui {
namespace {

struct NamedKey {
  Key key;
  std::string_view name;
};

// The first name of a key is the one text() writes; the others are accepted by parse().
constexpr std::array<NamedKey, 26> kNames{{
    {VK_BACK, "Backspace"}, {VK_TAB, "Tab"},       {VK_RETURN, "Enter"},  {VK_RETURN, "Return"},
    {VK_ESCAPE, "Esc"},     {VK_ESCAPE, "Escape"}, {VK_SPACE, "Space"},   {VK_PRIOR, "PgUp"},
    {VK_PRIOR, "PageUp"},   {VK_NEXT, "PgDown"},   {VK_NEXT, "PageDown"}, {VK_END, "End"},
    {VK_HOME, "Home"},      {VK_LEFT, "Left"},     {VK_UP, "Up"},         {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},      {VK_INSERT, "Ins"},    {VK_INSERT, "Insert"}, {VK_DELETE, "Del"},
    {VK_DELETE, "Delete"},  {VK_SHIFT, "Shift"},   {VK_CONTROL, "Ctrl"},  {VK_MENU, "Alt"},
    {VK_BACK, "BkSp"},      {VK_NEXT, "PgDn"},
}};

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

std::optional<Key> keyByName(std::string_view name) {
  if (name.size() == 1 && keyOf(name[0]) != kNoKey) return keyOf(name[0]);
  for (const NamedKey& k : kNames) {
    if (equalsIgnoringCase(k.name, name)) return k.key;
  }
  if (name.size() >= 2 && upper(name[0]) == 'F') {
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
      if (n > 12) return std::nullopt;
    }
    if (n >= 1) return static_cast<Key>(VK_F1 + n - 1);
  }
  return std::nullopt;
}

}  // namespace

std::string keyName(Key key) {
  if (key == kNoKey) return {};
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    return std::string(1, static_cast<char>(key));
  }
  if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
  for (const NamedKey& k : kNames) {
    if (k.key == key) return std::string(k.name);
  }
  return "Key " + std::to_string(key);
}

std::string ShortCut::text() const {
  if (isNone()) return {};
  std::string out;
  if (shift_.contains(Modifier::Ctrl)) out += "Ctrl+";
  if (shift_.contains(Modifier::Alt)) out += "Alt+";
  if (shift_.contains(Modifier::Shift)) out += "Shift+";
  return out + keyName(key_);
}

std::optional<ShortCut> ShortCut::parse(std::string_view text) {
  if (text.empty()) return ShortCut();
  ShiftState shift;
  // The last part is the key, so "Ctrl++" is not accepted; no shortcut uses '+'.
  size_t start = 0;
  for (;;) {
    const size_t plus = text.find('+', start);
    const std::string_view part =
        text.substr(start, plus == std::string_view::npos ? text.npos : plus - start);
    if (plus == std::string_view::npos) {
      const std::optional<Key> key = keyByName(part);
      if (!key) return std::nullopt;
      return ShortCut(*key, shift);
    }
    if (equalsIgnoringCase(part, "Ctrl")) {
      shift = shift | ssCtrl;
    } else if (equalsIgnoringCase(part, "Alt")) {
      shift = shift | ssAlt;
    } else if (equalsIgnoringCase(part, "Shift")) {
      shift = shift | ssShift;
    } else {
      return std::nullopt;
    }
    start = plus + 1;
  }
}

}  // namespace platform::ui
