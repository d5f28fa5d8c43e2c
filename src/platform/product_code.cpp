#include "platform/product_code.h"

#include <vector>

namespace platform {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isPosition(char p) {
  return p == '9' || p == 'A' || p == 'X';
}
bool fits(char c, char position) {
  switch (position) {
    case '9':
      return isDigit(c);
    case 'A':
      return isLetter(c);
    default:
      return isDigit(c) || isLetter(c);
  }
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20)
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
    text.remove_suffix(1);
  return text;
}

// The picture's levels: each one's positions, and the literal written before it.
struct Level {
  std::string separator;
  std::string positions;
};

std::vector<Level> levelsOf(std::string_view picture) {
  std::vector<Level> levels;
  std::string separator;
  for (char p : picture) {
    if (isPosition(p)) {
      if (levels.empty() || !separator.empty()) levels.push_back({separator, ""});
      separator.clear();
      levels.back().positions += p;
    } else {
      separator += p;
    }
  }
  return levels;
}

// Reads `count` levels from `code` written without separators; empty when it does not fit.
bool readBare(std::string_view code, const std::vector<Level>& levels, size_t count,
              std::vector<std::string>& out) {
  size_t at = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string& positions = levels[i].positions;
    if (at + positions.size() > code.size()) return false;
    std::string level(code.substr(at, positions.size()));
    for (size_t k = 0; k < positions.size(); ++k)
      if (!fits(level[k], positions[k])) return false;
    out.push_back(std::move(level));
    at += positions.size();
  }
  return at == code.size();
}

// Reads the levels of `code` written with the picture's separators.
bool readSeparated(std::string_view code, const std::vector<Level>& levels,
                   std::vector<std::string>& out) {
  size_t at = 0;
  for (size_t i = 0; i < levels.size() && at < code.size(); ++i) {
    if (i > 0) {
      if (code.substr(at, levels[i].separator.size()) != levels[i].separator) return false;
      at += levels[i].separator.size();
    }
    const std::string& positions = levels[i].positions;
    if (at + positions.size() > code.size()) return false;
    std::string level(code.substr(at, positions.size()));
    for (size_t k = 0; k < positions.size(); ++k)
      if (!fits(level[k], positions[k])) return false;
    out.push_back(std::move(level));
    at += positions.size();
  }
  return at == code.size();
}

}  // namespace

ProductCodeError::ProductCodeError(std::string code, std::string picture, std::string_view label)
    : std::invalid_argument(std::string(label) + " \"" + code +
                            "\" não corresponde à máscara de produto " + picture + "."),
      code_(std::move(code)),
      picture_(std::move(picture)) {}

std::string fitProductCode(std::string_view code, std::string_view picture, bool reformat) {
  const std::vector<Level> levels = levelsOf(picture);
  const std::string_view typed = trimmed(code);
  const auto refuse = [&] { return ProductCodeError(std::string(typed), std::string(picture)); };
  if (levels.empty() || typed.empty()) throw refuse();

  std::vector<std::string> read;
  bool ok = readSeparated(typed, levels, read);
  if (!ok) {
    // Without separators the code may stop after any level; its length tells which.
    for (size_t count = 1; count <= levels.size() && !ok; ++count) {
      read.clear();
      ok = readBare(typed, levels, count, read);
    }
  }
  if (!ok) throw refuse();
  if (!reformat) return std::string(typed);
  std::string out;
  for (size_t i = 0; i < read.size(); ++i)
    out += (i > 0 ? levels[i].separator : std::string()) + read[i];
  return out;
}

}  // namespace platform
