#include "export/xlsx.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export/grid_fixture.h"
#include "export/grid_table.h"
#include "platform/field.h"
#include "support/xlsx_reader.h"

namespace exporting {
namespace {

using platform::FieldType;
using testing_support::readXlsx;
using testing_support::XlsxSheet;

std::string tempPath(const char* name) {
  const auto dir = std::filesystem::temp_directory_path() / "menucost_xlsx_export";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

TEST(XlsxExport, PatternsBecomeSpreadsheetFormats) {
  const struct {
    const char* pattern;
    const char* format;
  } cases[] = {
      {"#,##0.00000", "#,##0.00000"},
      {"#,###,##0", "#,###,##0"},
      {"0", "0"},
      {"", "General"},
      // '%' would multiply by 100 in a spreadsheet: the screen stores percentages scaled.
      {"#,##0.00 %", "#,##0.00 \\%"},
      {"#,##0.00;-#,##0.00;zero", "#,##0.00;-#,##0.00;\\z\\e\\r\\o"},
      {"'R$ '#,##0.00", "\"R$ \"#,##0.00"},
      {"\"kg\" 0.0", "\"kg\" 0.0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(spreadsheetFormat(c.pattern), c.format) << c.pattern;
}

TEST(XlsxExport, SheetNamesAreValid) {
  const struct {
    const char* name;
    const char* sheet;
  } cases[] = {
      {"Planejado", "Planejado"},
      {"Planejado/Realizado", "Planejado Realizado"},
      {"a[b]:c*d?e\\f", "a b  c d e f"},
      {"", "Planilha"},
      {"Análise de Custos - ALMOCO - Filial 0001", "Análise de Custos - ALMOCO - Fi"},
      {"'quoted'", " quoted "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sheetName(c.name), c.sheet) << c.name;
}

// Every cell of every grid reads back as the dataset holds it: numbers and dates numeric (never
// shared or inline strings), dates with the date format, numbers with their field's format.
TEST(XlsxExport, EveryGridReadsBackTyped) {
  for (const testing::GridCase& c : testing::gridCases()) {
    SCOPED_TRACE(c.name);
    testing::GridOver over(c);
    platform::ClientDataSet& data = over.data();
    const std::string path = tempPath("grid.xlsx");
    writeXlsx(gridTable(over.grid()), c.name, path);
    const XlsxSheet sheet = readXlsx(path);

    int col = 0;
    for (int g = 0; g < over.grid().columnCount(); ++g) {
      if (!over.grid().column(g).visible()) continue;
      const platform::Field& field = data.fieldByName(over.grid().column(g).fieldName());
      const auto* title = sheet.at(0, col);
      ASSERT_NE(title, nullptr);
      EXPECT_EQ(title->value, field.displayLabel());
      for (int row = 1; row <= data.displayRowCount(); ++row) {
        data.withDisplayRow(row, [&] {
          SCOPED_TRACE(field.name() + " row " + std::to_string(row));
          const auto* cell = sheet.at(row, col);
          const bool text =
              field.fieldType() == FieldType::Text || field.fieldType() == FieldType::FixedText;
          // Blank texts are left as blank cells, like Null values.
          if (field.isNull() || (text && field.asString().empty())) {
            EXPECT_EQ(cell, nullptr);
            return;
          }
          ASSERT_NE(cell, nullptr);
          switch (field.fieldType()) {
            case FieldType::DateTime:
              EXPECT_EQ(cell->type, "");
              EXPECT_DOUBLE_EQ(std::stod(cell->value), field.asDateTime());
              EXPECT_EQ(cell->format, "dd/mm/yyyy");
              break;
            case FieldType::Float:
            case FieldType::Integer:
              EXPECT_EQ(cell->type, "");
              EXPECT_DOUBLE_EQ(std::stod(cell->value), field.asFloat());
              EXPECT_EQ(cell->format,
                        field.displayFormat().empty() && field.fieldType() == FieldType::Integer
                            ? "0"
                            : spreadsheetFormat(field.displayFormat()));
              break;
            default:
              EXPECT_EQ(cell->type, "s");
              EXPECT_EQ(cell->value, field.asString());
          }
        });
      }
      ++col;
    }
    EXPECT_EQ(sheet.at(0, col), nullptr) << "a hidden column was written";
    EXPECT_EQ(sheet.at(data.displayRowCount() + 1, 0), nullptr) << "a filtered row was written";
  }
}

TEST(XlsxExport, ASheetLaysOutHeaderHeadingsAndSections) {
  Sheet sheet;
  sheet.name = "Relatório";
  sheet.header = {"Análise de Custos", "Filial: 0001"};
  Table days;
  days.columns = {{"Data", false}, {"Custo", true}};
  days.rows = {{Cell::ofDate(46082, "01/03/2026 dom"), Cell::ofNumber(1.5, "#,##0.00", "1,50")}};
  Table totals;
  totals.columns = {{"", false}, {"", true}};
  totals.rows = {{Cell::ofText("Custo"), Cell::ofNumber(2, "0.00000", "2,00000")}};
  sheet.sections = {{"", days}, {"Total do Mês (Plan.)", totals}};
  const std::string path = tempPath("sheet.xlsx");
  writeXlsx(sheet, path);
  const XlsxSheet read = readXlsx(path);

  const struct {
    int row, col;
    const char* value;
    const char* format;
  } cells[] = {
      {0, 0, "Análise de Custos", "General"},
      {1, 0, "Filial: 0001", "General"},
      {3, 0, "Data", "General"},
      {3, 1, "Custo", "General"},
      {4, 0, "46082", "dd/mm/yyyy"},
      {4, 1, "1.5", "#,##0.00"},
      {6, 0, "Total do Mês (Plan.)", "General"},
      {7, 0, "Custo", "General"},
      {7, 1, "2", "0.00000"},
  };
  for (const auto& c : cells) {
    const auto* cell = read.at(c.row, c.col);
    ASSERT_NE(cell, nullptr) << c.row << "," << c.col;
    EXPECT_EQ(cell->value, c.value);
    EXPECT_EQ(cell->format, c.format);
  }
  EXPECT_EQ(read.cells.size(), std::size(cells));
}

TEST(XlsxExport, AFileThatCannotBeWrittenIsAnError) {
  Table table;
  table.columns = {{"A", false}};
  table.rows = {{Cell::ofNumber(1, "", "1")}};
  EXPECT_THROW(writeXlsx(table, "x", "/nonexistent-dir/x.xlsx"), std::runtime_error);
}

}  // namespace
}  // namespace exporting
