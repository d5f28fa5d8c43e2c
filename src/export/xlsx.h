// XLSX workbooks of tables: numbers as numeric cells with their pattern as the cell's number
// format, dates as date cells shown dd/mm/yyyy, texts as texts, titles and headings in bold.
#pragma once

#include <string>
#include <string_view>

#include "export/table.h"

namespace exporting {

// The spreadsheet number format of a pattern of platform/format.h: the digits, point, grouping
// commas and section separators mean the same; every other character is literal there and is
// escaped here ('%' would scale the value, letters would read as date parts). Empty: "General".
std::string spreadsheetFormat(std::string_view pattern);

// A valid sheet name: the characters []:*?/\ become blanks, at most 31 characters, never empty.
std::string sheetName(std::string_view name);

// Writes a workbook of one sheet at `path`, replacing it: the sheet's header lines, then each
// section after a blank row (its heading, its title row, its rows).
// ERRORS: std::runtime_error when the file cannot be written.
void writeXlsx(const Sheet& sheet, const std::string& path);
// A sheet holding only `table`, its title row frozen on top.
void writeXlsx(const Table& table, const std::string& sheetTitle, const std::string& path);

}  // namespace exporting
