#include "server/objects/write_limits.h"

#include "server/objects/messages.h"

namespace server::objects::limits {

size_t charCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string echo(std::string_view text) {
  std::string out = clip(text, kMaxEchoChars);
  const bool cut = out.size() < text.size();
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  if (cut) out += "...";
  return out;
}

std::string clip(std::string_view text, int maxChars) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++count > maxChars) {
      return std::string(text.substr(0, i));
    }
  }
  return std::string(text);
}

std::string sizeRefusal(std::string_view field, std::string_view text, int maxChars) {
  if (charCount(text) <= static_cast<size_t>(maxChars)) return "";
  return msg::kTextoLongo + std::string(field) + " (máximo " + std::to_string(maxChars) +
         " caracteres).";
}

std::string firstSizeRefusal(std::initializer_list<SizedText> texts) {
  for (const auto& t : texts) {
    std::string refusal = sizeRefusal(t.field, t.value, t.size);
    if (!refusal.empty()) return refusal;
  }
  return "";
}

}  // namespace server::objects::limits
