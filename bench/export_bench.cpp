// Grid export on one core: the month's daily cost table (31 days, 12 columns) to XLSX and CSV,
// and a 20,000-row grid of recipe products to XLSX and CSV, each reading the grid over its
// dataset and writing the file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "export/csv.h"
#include "export/grid_table.h"
#include "export/xlsx.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"

namespace {

using platform::FieldType;
using platform::Variant;

struct Column {
  const char* field;
  FieldType type;
  const char* format;
};

// A grid over `rows` rows of the given columns, values varying by row.
class Grid {
 public:
  Grid(const std::vector<Column>& columns, int rows) : source_(&data_) {
    for (const Column& c : columns)
      data_.addField(c.field, c.type, c.type == FieldType::Text ? 50 : 0)
          .setDisplayFormat(c.format);
    data_.createDataSet();
    for (int r = 0; r < rows; ++r) {
      data_.append();
      for (size_t c = 0; c < columns.size(); ++c) {
        platform::Field& field = *data_.fields()[c];
        switch (columns[c].type) {
          case FieldType::DateTime:
            field.setValue(Variant::date(46082 + r % 31));
            break;
          case FieldType::Text:
            field.setAsString("Produto de teste número " + std::to_string(r));
            break;
          default:
            field.setAsFloat(1234.56789 * (1 + r % 97) / (1 + c));
        }
      }
      data_.post();
    }
    grid_ = &form_.create<platform::ui::DBGrid>("dbgTeste");
    grid_->setDataSource(&source_);
    for (const Column& c : columns)
      grid_->addColumn(c.field);
  }
  const platform::ui::DBGrid& grid() const { return *grid_; }

 private:
  platform::ui::Form form_{"frmTeste"};
  platform::ClientDataSet data_{"cdsTeste"};
  platform::DataSource source_;
  platform::ui::DBGrid* grid_ = nullptr;
};

std::vector<Column> dailyColumns() {
  std::vector<Column> columns{{"DTDATA", FieldType::DateTime, "dd/mm/yyyy ddd"},
                              {"QTCOMENSAIS", FieldType::Float, "#,##0"}};
  for (const char* name : {"VRMATPRIMA", "VRCONSUMO", "VRINDIRETO", "VRMATPERC", "VRCUSTOTOTAL",
                           "VRTOTPERC", "VRCUSTOACU", "QTCOMESACU", "VRPERCMEDIO", "VRPADRAO"})
    columns.push_back({name, FieldType::Float, "#,##0.00000"});
  return columns;
}

std::vector<Column> productColumns() {
  return {{"CDARVPROD", FieldType::Text, ""},
          {"NMPRODUTO", FieldType::Text, ""},
          {"QTDERECE", FieldType::Float, "#,##0.00000"},
          {"QTDEBRUTA", FieldType::Float, "#,##0.00000"},
          {"CUSTOPROD", FieldType::Float, "#,##0.00000"},
          {"DTCARDAPIO", FieldType::DateTime, ""},
          {"VRTOTAL", FieldType::Float, "#,##0.00"}};
}

std::string outputPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void BM_DailyTableToXlsx(benchmark::State& state) {
  Grid grid(dailyColumns(), 31);
  const std::string path = outputPath("menucost_bench_days.xlsx");
  for (auto _ : state)
    exporting::writeXlsx(exporting::gridTable(grid.grid()), "Análise de Custos", path);
}
BENCHMARK(BM_DailyTableToXlsx)->Unit(benchmark::kMillisecond);

void BM_DailyTableToCsv(benchmark::State& state) {
  Grid grid(dailyColumns(), 31);
  const std::string path = outputPath("menucost_bench_days.csv");
  for (auto _ : state)
    exporting::writeCsvFile(exporting::gridTable(grid.grid()), path);
}
BENCHMARK(BM_DailyTableToCsv)->Unit(benchmark::kMillisecond);

void BM_LargeGridToXlsx(benchmark::State& state) {
  Grid grid(productColumns(), 20000);
  const std::string path = outputPath("menucost_bench_large.xlsx");
  for (auto _ : state)
    exporting::writeXlsx(exporting::gridTable(grid.grid()), "Produtos", path);
}
BENCHMARK(BM_LargeGridToXlsx)->Unit(benchmark::kMillisecond);

void BM_LargeGridToCsv(benchmark::State& state) {
  Grid grid(productColumns(), 20000);
  const std::string path = outputPath("menucost_bench_large.csv");
  for (auto _ : state)
    exporting::writeCsvFile(exporting::gridTable(grid.grid()), path);
}
BENCHMARK(BM_LargeGridToCsv)->Unit(benchmark::kMillisecond);

}  // namespace
