// Reads ';' separated text back as a spreadsheet does: quoted fields may hold ';', '"' (doubled)
// and line breaks; every line ends with a line break.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

inline std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> lines(1);
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ';') {
      lines.back().push_back(field);
      field.clear();
    } else if (c == '\n') {
      lines.back().push_back(field);
      field.clear();
      lines.emplace_back();
    } else {
      field += c;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace testing_support
