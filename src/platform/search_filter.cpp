#include "platform/search_filter.h"

#include <cstdint>

namespace platform {
namespace {

// Base letters of U+00C0..U+00FF, lower case; 0 keeps the character (×, ÷, Æ, Ð, Þ, ß ...).
constexpr char kLatin1Base[64] = {
    'a', 'a', 'a', 'a', 'a', 'a', 0,   'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // C0..CF
    0,   'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 0,   0,    // D0..DF
    'a', 'a', 'a', 'a', 'a', 'a', 0,   'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // E0..EF
    0,   'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 0,   'y',  // F0..FF
};

bool isSeparator(char c) {
  return !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z');
}

std::string trimmed(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
    ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
    --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace

std::string foldForSearch(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : text[i];
      continue;
    }
    // Two-byte sequences C3 80..C3 BF are U+00C0..U+00FF.
    if (byte == 0xC3 && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x80 && next <= 0xBF) {
        const char base = kLatin1Base[next - 0x80];
        if (base != 0) {
          out += base;
        } else {
          // Keep the letter; only its case is folded (Æ -> æ, Ð -> ð, Þ -> þ).
          const bool upper = next >= 0x80 && next <= 0x9E && next != 0x97;
          out += text[i];
          out += static_cast<char>(upper ? next + 0x20 : next);
        }
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool searchMatches(std::string_view typed, std::string_view code, std::string_view name) {
  const std::string wanted = foldForSearch(trimmed(typed));
  if (wanted.empty()) return true;
  if (foldForSearch(name).find(wanted) != std::string::npos) return true;
  const std::string foldedCode = foldForSearch(code);
  if (foldedCode.find(wanted) != std::string::npos) return true;
  std::string bare;
  for (char c : foldedCode)
    if (!isSeparator(c)) bare += c;
  return bare.find(wanted) != std::string::npos;
}

SearchCaption splitSearchCaption(std::string_view caption) {
  const size_t bar = caption.find('|');
  if (bar == std::string_view::npos) return {std::string(caption), {}};
  return {std::string(caption.substr(0, bar)), std::string(caption.substr(bar + 1))};
}

}  // namespace platform
