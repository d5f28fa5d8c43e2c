// The headless report: tables of display texts, as a grid shows them, rendered as aligned text
// columns or as CSV with ';' separators (pt-BR numbers carry decimal commas), and the same
// tables typed (numbers, dates) for a spreadsheet workbook.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/table.h"
#include "host/cli_options.h"

namespace host {

struct TextTable {
  std::vector<std::string> titles;  // empty: no title row
  std::vector<bool> rightAligned;   // per column; missing entries are left-aligned
  std::vector<std::vector<std::string>> rows;
};

struct ReportSection {
  std::string heading;  // empty: none
  TextTable table;
  // The same cells typed, for a workbook; when it has no columns the texts of `table` go.
  exporting::Table cells;
};

struct Report {
  std::vector<std::string> header;  // lines printed first
  std::vector<ReportSection> sections;
};

// Characters a UTF-8 text takes on a terminal (one per code point).
int displayWidth(std::string_view utf8);

// Aligned columns two blanks apart, each as wide as its widest text; no trailing blanks.
// A row shorter than the titles is padded with empty cells.
std::string renderText(const TextTable& table);
// One line per row, fields separated by ';'; a field holding ';', '"' or a line break is quoted
// with its quotes doubled.
std::string renderCsv(const TextTable& table);

// The texts of a typed table: its titles (none when no column has one), alignment and shown
// texts.
TextTable textTable(const exporting::Table& table);

// The header lines, then each section (its heading and table) after a blank line.
// REQUIRES: format is Text or Csv.
std::string renderReport(const Report& report, ReportFormat format);

// The report as the one sheet of a workbook at `path`, laid out as its CSV: the header lines,
// then each section after a blank row, with numbers and dates typed.
// ERRORS: std::runtime_error when the file cannot be written.
void writeReportXlsx(const Report& report, const std::string& path);

}  // namespace host
