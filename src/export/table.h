// A table as a spreadsheet takes it: column titles, then rows of typed cells that also carry the
// text the screen shows. Grids, the report and the charts build one; the CSV and XLSX writers
// read it.
#pragma once

#include <string>
#include <vector>

namespace exporting {

enum class CellKind { Empty, Text, Number, Date };

struct Cell {
  CellKind kind = CellKind::Empty;
  // What the screen shows; for Text, the value itself.
  std::string text;
  // Number: the value. Date: the day number (0 is 30/12/1899, a spreadsheet's serial date).
  double number = 0;
  // Number: the pattern of platform/format.h it is shown with ("#,##0.00000"); empty: general.
  std::string format;

  static Cell ofText(std::string text) { return {CellKind::Text, std::move(text), 0, {}}; }
  static Cell ofNumber(double value, std::string format, std::string shown) {
    return {CellKind::Number, std::move(shown), value, std::move(format)};
  }
  static Cell ofDate(double day, std::string shown) {
    return {CellKind::Date, std::move(shown), day, {}};
  }
};

struct Column {
  std::string title;
  bool rightAligned = false;
};

struct Table {
  std::vector<Column> columns;
  std::vector<std::vector<Cell>> rows;

  // Whether a title row is written: some column has a title.
  bool hasTitles() const;
  // The columns a row of the table spans: the titles' count or the longest row's.
  size_t width() const;
};

// A table under a heading (none when empty).
struct Section {
  std::string heading;
  Table table;
};

// One sheet: lines of text first, then the sections, a blank row before each.
struct Sheet {
  std::string name;
  std::vector<std::string> header;
  std::vector<Section> sections;
};

}  // namespace exporting
