#include "host/report_table.h"

#include <algorithm>

namespace host {
namespace {

std::string csvField(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

void csvLine(std::string& out, const std::vector<std::string>& cells, size_t width) {
  for (size_t c = 0; c < width; ++c) {
    if (c) out += ';';
    if (c < cells.size()) out += csvField(cells[c]);
  }
  out += '\n';
}

size_t columnCount(const TextTable& table) {
  size_t width = table.titles.size();
  for (const auto& row : table.rows)
    width = std::max(width, row.size());
  return width;
}

}  // namespace

int displayWidth(std::string_view utf8) {
  int width = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++width;
  return width;
}

std::string renderText(const TextTable& table) {
  size_t columns = columnCount(table);
  std::vector<int> widths(columns, 0);
  auto measure = [&](const std::vector<std::string>& cells) {
    for (size_t c = 0; c < cells.size(); ++c)
      widths[c] = std::max(widths[c], displayWidth(cells[c]));
  };
  measure(table.titles);
  for (const auto& row : table.rows)
    measure(row);

  std::string out;
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t c = 0; c < columns; ++c) {
      const std::string empty;
      const std::string& cell = c < cells.size() ? cells[c] : empty;
      std::string padding(static_cast<size_t>(widths[c] - displayWidth(cell)), ' ');
      if (c) text += "  ";
      bool right = c < table.rightAligned.size() && table.rightAligned[c];
      text += right ? padding + cell : cell + padding;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    out += text + '\n';
  };
  if (!table.titles.empty()) line(table.titles);
  for (const auto& row : table.rows)
    line(row);
  return out;
}

std::string renderCsv(const TextTable& table) {
  size_t columns = columnCount(table);
  std::string out;
  if (!table.titles.empty()) csvLine(out, table.titles, columns);
  for (const auto& row : table.rows)
    csvLine(out, row, columns);
  return out;
}

std::string renderReport(const Report& report, ReportFormat format) {
  std::string out;
  for (const std::string& line : report.header)
    out += (format == ReportFormat::Csv ? csvField(line) : line) + '\n';
  for (const ReportSection& section : report.sections) {
    if (!out.empty()) out += '\n';
    if (!section.heading.empty())
      out += (format == ReportFormat::Csv ? csvField(section.heading) : section.heading) + '\n';
    out += format == ReportFormat::Csv ? renderCsv(section.table) : renderText(section.table);
  }
  return out;
}

}  // namespace host
