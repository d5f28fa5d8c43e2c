#include "host/report_table.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(ReportTable, DisplayWidthCountsCharactersNotBytes) {
  struct Case {
    const char* text;
    int width;
  } cases[] = {{"", 0}, {"abc", 3}, {"sáb", 3}, {"Custo Perc. Médio", 17}, {"çãõ€", 4}};
  for (const Case& c : cases)
    EXPECT_EQ(displayWidth(c.text), c.width) << c.text;
}

TEST(ReportTable, TextColumnsAlignOnTheirWidestCell) {
  TextTable table{{"Data", "Comensais", "Custo Perc. Médio"},
                  {false, true, true},
                  {{"01/03/2026 dom", "1.234", "5,12345"},
                   {"02/03/2026 seg", "0", "12,50000"},
                   {"03/03/2026 ter"}}};
  EXPECT_EQ(renderText(table),
            "Data            Comensais  Custo Perc. Médio\n"
            "01/03/2026 dom      1.234            5,12345\n"
            "02/03/2026 seg          0           12,50000\n"
            "03/03/2026 ter\n");
}

TEST(ReportTable, TextWithoutTitlesAndWithAccentedCells) {
  TextTable table{{}, {false, true}, {{"Matéria-prima", "1,00000"}, {"Custo", "123,45000"}}};
  EXPECT_EQ(renderText(table),
            "Matéria-prima    1,00000\n"
            "Custo          123,45000\n");
}

TEST(ReportTable, CsvQuotesOnlyWhatNeedsIt) {
  TextTable table{
      {"Data", "Custo Total"},
      {false, true},
      {{"01/03/2026 dom", "1.234,50000"}, {"a;b", "say \"hi\""}, {"two\nlines", ""}, {"short"}}};
  EXPECT_EQ(renderCsv(table),
            "Data;Custo Total\n"
            "01/03/2026 dom;1.234,50000\n"
            "\"a;b\";\"say \"\"hi\"\"\"\n"
            "\"two\nlines\";\n"
            "short;\n");
}

TEST(ReportTable, ReportJoinsHeaderAndSections) {
  Report report{{"Análise de Custos - ALMOCO", "Filial 0001; Serviço 00001"},
                {{"", TextTable{{"A", "B"}, {false, true}, {{"x", "1,5"}}}},
                 {"Total do Mês (Plan.)", TextTable{{}, {false, true}, {{"Custo", "2,00000"}}}}}};
  EXPECT_EQ(renderReport(report, ReportFormat::Text),
            "Análise de Custos - ALMOCO\n"
            "Filial 0001; Serviço 00001\n"
            "\n"
            "A    B\n"
            "x  1,5\n"
            "\n"
            "Total do Mês (Plan.)\n"
            "Custo  2,00000\n");
  EXPECT_EQ(renderReport(report, ReportFormat::Csv),
            "Análise de Custos - ALMOCO\n"
            "\"Filial 0001; Serviço 00001\"\n"
            "\n"
            "A;B\n"
            "x;1,5\n"
            "\n"
            "Total do Mês (Plan.)\n"
            "Custo;2,00000\n");
}

}  // namespace
}  // namespace host
