#include "host/report_table.h"

#include <algorithm>

#include "export/csv.h"
#include "export/xlsx.h"

namespace host {
namespace {

using exporting::appendCsvLine;
using exporting::csvField;

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
  if (!table.titles.empty()) appendCsvLine(out, table.titles, columns);
  for (const auto& row : table.rows)
    appendCsvLine(out, row, columns);
  return out;
}

TextTable textTable(const exporting::Table& table) {
  TextTable text;
  const bool titles = table.hasTitles();
  for (const exporting::Column& column : table.columns) {
    if (titles) text.titles.push_back(column.title);
    text.rightAligned.push_back(column.rightAligned);
  }
  text.rows.reserve(table.rows.size());
  for (const auto& row : table.rows) {
    std::vector<std::string>& cells = text.rows.emplace_back();
    cells.reserve(row.size());
    for (const exporting::Cell& cell : row)
      cells.push_back(cell.text);
  }
  return text;
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

void writeReportXlsx(const Report& report, const std::string& path) {
  exporting::Sheet sheet;
  sheet.name = report.header.empty() ? std::string("Relatório") : report.header.front();
  sheet.header = report.header;
  for (const ReportSection& section : report.sections) {
    exporting::Section& typed = sheet.sections.emplace_back();
    typed.heading = section.heading;
    if (!section.cells.columns.empty()) {
      typed.table = section.cells;
      continue;
    }
    for (size_t c = 0; c < columnCount(section.table); ++c)
      typed.table.columns.push_back(
          {c < section.table.titles.size() ? section.table.titles[c] : "",
           c < section.table.rightAligned.size() && section.table.rightAligned[c]});
    for (const auto& row : section.table.rows) {
      std::vector<exporting::Cell>& cells = typed.table.rows.emplace_back();
      for (const std::string& text : row)
        cells.push_back(text.empty() ? exporting::Cell{} : exporting::Cell::ofText(text));
    }
  }
  exporting::writeXlsx(sheet, path);
}

}  // namespace host
