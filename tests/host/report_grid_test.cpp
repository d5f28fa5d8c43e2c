#include "host/report_grid.h"

#include <gtest/gtest.h>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/format.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"

namespace host {
namespace {

using platform::FieldType;
using platform::Variant;
using platform::ui::Alignment;

// A small daily table shown by a grid the way the screen sets one up.
class GridTableTest : public ::testing::Test {
 protected:
  GridTableTest() : form("frmTeste"), source(&days) {
    days.addField("DTDATA", FieldType::DateTime).setDisplayLabel("Data");
    days.fieldByName("DTDATA").onGetText = [](const platform::Field& f, bool) {
      return f.isNull() ? std::string() : platform::formatDateTime("ddddd ddd", f.asFloat());
    };
    auto& diners = days.addField("QTCOMENSAIS", FieldType::Float);
    diners.setDisplayLabel("Comensais Estimados");
    diners.setDisplayFormat("#,##0");
    auto& cost = days.addField("VRCUSTOTOTAL", FieldType::Float);
    cost.setDisplayLabel("Custo Total");
    cost.setDisplayFormat("#,##0.00000");
    days.addField("IDREAL", FieldType::Text, 1);
    days.createDataSet();
    struct Day {
      double date, diners, cost;
      const char* real;
    } rows[] = {{46082, 1234, 5678.125, "S"}, {46083, 0, 0, "N"}, {46084, 10, 0.5, "N"}};
    for (const Day& d : rows) {
      days.append();
      days.fieldByName("DTDATA").setValue(Variant::date(d.date));
      days.fieldByName("QTCOMENSAIS").setAsFloat(d.diners);
      days.fieldByName("VRCUSTOTOTAL").setAsFloat(d.cost);
      days.fieldByName("IDREAL").setAsString(d.real);
      days.post();
    }
    grid = &form.create<platform::ui::DBGrid>("dbgTrabCusto");
    grid->setDataSource(&source);
  }

  platform::ui::Form form;
  platform::ClientDataSet days{"cdsTrabCusto"};
  platform::DataSource source;
  platform::ui::DBGrid* grid = nullptr;
};

TEST_F(GridTableTest, ColumnsInGridOrderWithTheirDisplayTexts) {
  grid->addColumn("VRCUSTOTOTAL");
  grid->addColumn("DTDATA", "", 110);
  grid->addColumn("QTCOMENSAIS", "Comensais", 110, Alignment::Right);
  grid->addColumn("IDREAL").setVisible(false);
  grid->addColumn("IDREAL", "Real").setAlignment(Alignment::Right);

  TextTable table = gridTable(*grid);
  EXPECT_EQ(table.titles, (std::vector<std::string>{"Custo Total", "Data", "Comensais", "Real"}));
  EXPECT_EQ(table.rightAligned, (std::vector<bool>{true, false, true, true}));
  EXPECT_EQ(table.rows,
            (std::vector<std::vector<std::string>>{{"5.678,12500", "01/03/2026 dom", "1.234", "S"},
                                                   {"0,00000", "02/03/2026 seg", "0", "N"},
                                                   {"0,50000", "03/03/2026 ter", "10", "N"}}));
}

TEST_F(GridTableTest, ReadingTheRowsMovesNothingAndRaisesNothing) {
  grid->addColumn("DTDATA");
  days.setRecNo(2);
  int scrolls = 0;
  days.beforeScroll = [&](platform::ClientDataSet&) { ++scrolls; };
  days.afterScroll = [&](platform::ClientDataSet&) { ++scrolls; };
  EXPECT_EQ(gridTable(*grid).rows.size(), 3u);
  EXPECT_EQ(days.recNo(), 2);
  EXPECT_EQ(scrolls, 0);
}

TEST_F(GridTableTest, FilteredRowsOnlyAndClosedDataGivesTitlesOnly) {
  grid->addColumn("DTDATA");
  grid->addColumn("NAOEXISTE", "Outro");
  days.setFilter("IDREAL = 'N'");
  days.setFiltered(true);
  TextTable table = gridTable(*grid);
  EXPECT_EQ(table.rows, (std::vector<std::vector<std::string>>{{"02/03/2026 seg", ""},
                                                               {"03/03/2026 ter", ""}}));
  days.close();
  table = gridTable(*grid);
  EXPECT_EQ(table.titles, (std::vector<std::string>{"DTDATA", "Outro"}));
  EXPECT_TRUE(table.rows.empty());
  grid->setDataSource(nullptr);
  EXPECT_TRUE(gridTable(*grid).rows.empty());
}

}  // namespace
}  // namespace host
