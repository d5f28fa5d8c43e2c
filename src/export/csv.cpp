#include "export/csv.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "platform/format.h"

namespace exporting {
namespace {

// The pattern without thousands grouping: commas outside quoted text go.
std::string ungrouped(std::string_view pattern) {
  std::string out;
  char quote = 0;
  for (char c : pattern) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ',') {
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string csvField(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

void appendCsvLine(std::string& out, const std::vector<std::string>& cells, size_t width) {
  for (size_t c = 0; c < std::max(width, cells.size()); ++c) {
    if (c) out += ';';
    if (c < cells.size()) out += csvField(cells[c]);
  }
  out += '\n';
}

std::string csvText(const Cell& cell) {
  switch (cell.kind) {
    case CellKind::Empty:
      return {};
    case CellKind::Number:
      return platform::formatFloat(ungrouped(cell.format), cell.number);
    case CellKind::Date:
      return platform::shortDate(cell.number);
    case CellKind::Text:
      break;
  }
  return cell.text;
}

std::string tableCsv(const Table& table) {
  const size_t width = table.width();
  std::string out;
  std::vector<std::string> cells;
  if (table.hasTitles()) {
    for (const Column& column : table.columns)
      cells.push_back(column.title);
    appendCsvLine(out, cells, width);
  }
  for (const auto& row : table.rows) {
    cells.clear();
    for (const Cell& cell : row)
      cells.push_back(csvText(cell));
    appendCsvLine(out, cells, width);
  }
  return out;
}

void writeCsvFile(const Table& table, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) {
    file << kUtf8Bom << tableCsv(table);
    file.flush();
  }
  if (!file) throw std::runtime_error("Não foi possível gravar o arquivo " + path + ".");
}

}  // namespace exporting
