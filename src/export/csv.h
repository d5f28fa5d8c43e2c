// CSV as a spreadsheet in pt-BR reads it: ';' between fields, decimal commas, dates dd/mm/yyyy.
// A field holding ';', '"' or a line break is quoted with its quotes doubled. Files start with
// the UTF-8 byte order mark so that accents open right.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/table.h"

namespace exporting {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string csvField(std::string_view text);
// Appends the cells as one line, padded with empty fields to `width`.
void appendCsvLine(std::string& out, const std::vector<std::string>& cells, size_t width);

// What a cell becomes in CSV: a number with its pattern's decimals and no thousands separator,
// a date as dd/mm/yyyy, a text as shown.
std::string csvText(const Cell& cell);

// The title row (when the table has titles), then one line per row.
std::string tableCsv(const Table& table);

// Writes the byte order mark and tableCsv(table) to `path`, replacing it.
// ERRORS: std::runtime_error when the file cannot be written.
void writeCsvFile(const Table& table, const std::string& path);

}  // namespace exporting
