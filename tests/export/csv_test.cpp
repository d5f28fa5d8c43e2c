#include "export/csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/grid_fixture.h"
#include "export/grid_table.h"
#include "platform/date.h"
#include "platform/field.h"
#include "platform/format.h"
#include "support/csv_reader.h"

namespace exporting {
namespace {

using platform::FieldType;
using testing_support::parseCsv;

int decimalsOf(const std::string& pattern) {
  const size_t point = pattern.find('.');
  if (point == std::string::npos) return 0;
  int count = 0;
  for (size_t i = point + 1; i < pattern.size() && (pattern[i] == '0' || pattern[i] == '#'); ++i)
    ++count;
  return count;
}

double ptBrNumber(std::string text) {
  EXPECT_EQ(text.find('.'), std::string::npos) << "grouped: " << text;
  if (const size_t literal = text.find(' '); literal != std::string::npos) text.resize(literal);
  for (char& c : text)
    if (c == ',') c = '.';
  size_t used = 0;
  const double value = std::stod(text, &used);
  EXPECT_EQ(used, text.size()) << text;
  return value;
}

double ptBrDate(const std::string& text) {
  int d = 0, m = 0, y = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d/%d/%d", &d, &m, &y), 3) << text;
  EXPECT_EQ(text.size(), 10u) << text;
  return platform::encodeDate(y, m, d);
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CsvExport, EveryGridRoundTripsThroughAFile) {
  const auto dir = std::filesystem::temp_directory_path() / "menucost_csv_export";
  std::filesystem::create_directories(dir);
  for (const testing::GridCase& c : testing::gridCases()) {
    SCOPED_TRACE(c.name);
    testing::GridOver over(c);
    platform::ClientDataSet& data = over.data();
    const int cursor = data.recNo();
    const std::string path = (dir / "grid.csv").string();
    writeCsvFile(gridTable(over.grid()), path);
    EXPECT_EQ(data.recNo(), cursor);

    const std::string text = fileText(path);
    ASSERT_EQ(text.substr(0, 3), std::string(kUtf8Bom));
    const auto lines = parseCsv(text.substr(3));
    std::vector<platform::Field*> shown;
    std::vector<std::string> titles;
    for (int col = 0; col < over.grid().columnCount(); ++col) {
      if (!over.grid().column(col).visible()) continue;
      platform::Field& field = data.fieldByName(over.grid().column(col).fieldName());
      shown.push_back(&field);
      titles.push_back(field.displayLabel());
    }
    ASSERT_EQ(lines.size(), static_cast<size_t>(data.displayRowCount()) + 1);
    EXPECT_EQ(lines[0], titles);
    for (int row = 1; row <= data.displayRowCount(); ++row) {
      const std::vector<std::string>& read = lines[static_cast<size_t>(row)];
      ASSERT_EQ(read.size(), shown.size());
      data.withDisplayRow(row, [&] {
        for (size_t col = 0; col < shown.size(); ++col) {
          const platform::Field& field = *shown[col];
          SCOPED_TRACE(field.name() + " row " + std::to_string(row));
          if (field.isNull()) {
            EXPECT_EQ(read[col], "");
          } else if (field.fieldType() == FieldType::DateTime) {
            EXPECT_EQ(ptBrDate(read[col]), field.asDateTime());
          } else if (field.fieldType() == FieldType::Float ||
                     field.fieldType() == FieldType::Integer) {
            EXPECT_DOUBLE_EQ(
                ptBrNumber(read[col]),
                platform::roundDec(field.asFloat(), decimalsOf(field.displayFormat())));
          } else {
            EXPECT_EQ(read[col], field.asString());
          }
        }
      });
    }
  }
}

TEST(CsvExport, FieldsAreQuotedOnlyWhenTheyMustBe) {
  const struct {
    const char* text;
    const char* field;
  } cases[] = {
      {"plain", "plain"},
      {"Feijão", "Feijão"},
      {"a;b", "\"a;b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"cr\r", "\"cr\r\""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(csvField(c.text), c.field) << c.text;
}

TEST(CsvExport, CellsBecomeWhatASpreadsheetReads) {
  const struct {
    Cell cell;
    const char* csv;
  } cases[] = {
      {Cell::ofNumber(1234567.891, "#,##0.00000", "1.234.567,89100"), "1234567,89100"},
      {Cell::ofNumber(-0.5, "#,##0.00", "-0,50"), "-0,50"},
      {Cell::ofNumber(60, "#,##0.00 %", "60,00 %"), "60,00 %"},
      {Cell::ofNumber(2.5, "\"R$ \"#,##0.00", "R$ 2,50"), "R$ 2,50"},
      {Cell::ofNumber(10.5, "", "10,5"), "10,5"},
      {Cell::ofDate(46082, "01/03/2026 dom"), "01/03/2026"},
      {Cell::ofText("x;y"), "x;y"},
      {Cell{}, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(csvText(c.cell), c.csv) << c.cell.text;
}

TEST(CsvExport, TablesWithoutTitlesAndRaggedRows) {
  Table table;
  table.columns = {{"", false}, {"", true}};
  table.rows = {{Cell::ofText("Custo"), Cell::ofNumber(2, "0.00", "2,00")}, {Cell::ofText("só")}};
  EXPECT_EQ(tableCsv(table), "Custo;2,00\nsó;\n");
}

TEST(CsvExport, AFileThatCannotBeWrittenIsAnError) {
  Table table;
  table.columns = {{"A", false}};
  EXPECT_THROW(writeCsvFile(table, "/nonexistent-dir/x.csv"), std::runtime_error);
}

}  // namespace
}  // namespace exporting
