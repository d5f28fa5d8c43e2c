#include "export/xlsx.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <vector>

namespace exporting {
namespace {

constexpr const char* kDateFormat = "dd/mm/yyyy";
constexpr double kMinWidth = 8;
constexpr double kMaxWidth = 60;

int codePoints(std::string_view utf8) {
  int count = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

// One workbook being written; closing writes the file.
class Workbook {
 public:
  explicit Workbook(const std::string& path) : path_(path), book_(workbook_new(path.c_str())) {
    if (book_ == nullptr) fail();
    bold_ = workbook_add_format(book_);
    format_set_bold(bold_);
    date_ = workbook_add_format(book_);
    format_set_num_format(date_, kDateFormat);
  }
  ~Workbook() {
    // Not closed: an error is on its way; the half-written file is not worth keeping.
    if (book_ != nullptr) {
      workbook_close(book_);
      std::remove(path_.c_str());
    }
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  void addSheet(const std::string& name) {
    sheet_ = workbook_add_worksheet(book_, sheetName(name).c_str());
    if (sheet_ == nullptr) fail();
    widths_.clear();
  }

  void text(lxw_row_t row, lxw_col_t col, const std::string& text, lxw_format* format = nullptr) {
    if (text.empty()) return;
    check(worksheet_write_string(sheet_, row, col, text.c_str(), format));
  }
  void bold(lxw_row_t row, lxw_col_t col, const std::string& value) {
    text(row, col, value, bold_);
  }

  void cell(lxw_row_t row, lxw_col_t col, const Cell& cell) {
    switch (cell.kind) {
      case CellKind::Empty:
        return;
      case CellKind::Text:
        text(row, col, cell.text);
        break;
      case CellKind::Number:
        check(worksheet_write_number(sheet_, row, col, cell.number, numberFormat(cell.format)));
        break;
      case CellKind::Date:
        check(worksheet_write_number(sheet_, row, col, cell.number, date_));
        break;
    }
    fit(col, cell.kind == CellKind::Date ? 10 : codePoints(cell.text));
  }

  void fit(lxw_col_t col, int characters) {
    if (widths_.size() <= col) widths_.resize(col + 1, kMinWidth);
    widths_[col] = std::clamp(static_cast<double>(characters) + 2, widths_[col], kMaxWidth);
  }

  void table(lxw_row_t& row, const Table& table) {
    if (table.hasTitles()) {
      for (size_t c = 0; c < table.columns.size(); ++c) {
        bold(row, static_cast<lxw_col_t>(c), table.columns[c].title);
        fit(static_cast<lxw_col_t>(c), codePoints(table.columns[c].title));
      }
      ++row;
    }
    for (const auto& cells : table.rows) {
      for (size_t c = 0; c < cells.size(); ++c)
        cell(row, static_cast<lxw_col_t>(c), cells[c]);
      ++row;
    }
  }

  void freezeTopRow() { worksheet_freeze_panes(sheet_, 1, 0); }

  void close() {
    for (size_t c = 0; c < widths_.size(); ++c)
      worksheet_set_column(sheet_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths_[c],
                           nullptr);
    lxw_workbook* book = book_;
    book_ = nullptr;
    if (workbook_close(book) != LXW_NO_ERROR) fail();
  }

 private:
  lxw_format* numberFormat(const std::string& pattern) {
    auto [it, added] = numbers_.try_emplace(pattern, nullptr);
    if (added) {
      it->second = workbook_add_format(book_);
      format_set_num_format(it->second, spreadsheetFormat(pattern).c_str());
    }
    return it->second;
  }

  void check(lxw_error error) {
    if (error != LXW_NO_ERROR) fail();
  }
  [[noreturn]] void fail() const {
    throw std::runtime_error("Não foi possível gravar o arquivo " + path_ + ".");
  }

  std::string path_;
  lxw_workbook* book_;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* bold_ = nullptr;
  lxw_format* date_ = nullptr;
  std::map<std::string, lxw_format*> numbers_;
  std::vector<double> widths_;
};

}  // namespace

std::string spreadsheetFormat(std::string_view pattern) {
  if (pattern.empty()) return "General";
  std::string out;
  char quote = 0;
  for (char c : pattern) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
        out += '"';
      } else if (c == '"') {
        out += "\\\"";  // a double quote inside single-quoted text
      } else {
        out += c;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      out += '"';
    } else if (std::string_view("0#.,;- ").find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '\\';
      out += c;
    }
  }
  if (quote != 0) out += '"';
  return out;
}

std::string sheetName(std::string_view name) {
  std::string out;
  int count = 0;
  for (size_t i = 0; i < name.size() && count < 31; ++count) {
    const unsigned char lead = static_cast<unsigned char>(name[i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::string_view point = name.substr(i, length);
    out +=
        point.size() == 1 && std::string_view("[]:*?/\\").find(point[0]) != std::string_view::npos
            ? std::string(" ")
            : std::string(point);
    i += length;
  }
  // A name may not start or end with an apostrophe either.
  if (!out.empty() && out.front() == '\'') out.front() = ' ';
  if (!out.empty() && out.back() == '\'') out.back() = ' ';
  if (out.find_first_not_of(' ') == std::string::npos) return "Planilha";
  return out;
}

void writeXlsx(const Sheet& sheet, const std::string& path) {
  Workbook book(path);
  book.addSheet(sheet.name);
  lxw_row_t row = 0;
  for (const std::string& line : sheet.header)
    book.text(row++, 0, line);
  for (const Section& section : sheet.sections) {
    if (row > 0) ++row;
    if (!section.heading.empty()) book.bold(row++, 0, section.heading);
    book.table(row, section.table);
  }
  book.close();
}

void writeXlsx(const Table& table, const std::string& sheetTitle, const std::string& path) {
  Workbook book(path);
  book.addSheet(sheetTitle);
  lxw_row_t row = 0;
  book.table(row, table);
  if (table.hasTitles()) book.freezeTopRow();
  book.close();
}

}  // namespace exporting
