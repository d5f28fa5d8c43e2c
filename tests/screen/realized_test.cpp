// Realized costs and planned versus realized.
#include "platform/consiste.h"
#include "platform/format.h"
#include "platform/ui/canvas.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

std::vector<double> numbers(platform::ClientDataSet& ds, const std::string& field) {
  std::vector<double> out;
  for (const Variant& v : column(ds, field))
    out.push_back(v.toDouble());
  return out;
}

TEST_F(ScreenTest, RealizedRunningTotalsRoundOnlyWhatIsStored) {
  server.realized = {{march(3), 1, 0.333333}, {march(2), 1, 0.333333}, {march(4), 1, 0.333333}};
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectPage(f.tshRealizado);
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "DTCARDAPIO"),
              (std::vector<double>{march(2), march(3), march(4)}));
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "CUSTOACUM"),
              (std::vector<double>{0.33333, 0.66667, 1}));
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "QTCOMENSACU"), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "VRCUSTOMEDIO"),
              (std::vector<double>{0.33333, Consiste::RoundDec(0.66667 / 2, 5), 0.33333}));
    EXPECT_EQ(f.realized.cdsRealizado.recNo(), 1);
    EXPECT_EQ(f.realized.cdsRealizado.fieldByName("DTCARDAPIO").displayText(), "02/03/2026 seg");
  });
}

TEST_F(ScreenTest, RealizedPerDinerValues) {
  server.realized = {{march(2), 0, 50}, {march(3), 45, 140.25}};
  server.idComCusPerc = "C";
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectPage(f.tshRealizado);
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "QtdePerc"),
              (std::vector<double>{0, Consiste::RoundDec(140.25 / 45, 5)}));
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "VRCUSTOMEDIO"),
              (std::vector<double>{0, Consiste::RoundDec(190.25 / 45, 5)}));
    // Items of 02/03: 4 withdrawn for 38 diners at 5.
    EXPECT_DOUBLE_EQ(f.realized.cdsItemReti.fieldByName("QtdePerc").asFloat(), 4.0 / 38);
    EXPECT_DOUBLE_EQ(f.realized.cdsItemReti.fieldByName("CustoTotal").asFloat(), 20);
    EXPECT_DOUBLE_EQ(f.realized.cdsItemReti.fieldByName("QTCOMECLIE").asFloat(), 30);
    EXPECT_FALSE(d.dispatch([&] { f.realized.cdsRealizado.deleteRecord(); }));
    EXPECT_FALSE(d.dispatch([&] { f.realized.cdsItemReti.deleteRecord(); }));
    EXPECT_EQ(f.realized.cdsRealizado.recordCount(), 2);
  });
}

TEST_F(ScreenTest, MovingRealizedDaysElsewhereLoadsNothing) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.press(f.sbtCustos);  // loads the realized days for the panel
    ASSERT_TRUE(f.realized.cdsRealizado.active());
    d.pressKey(*f.realized.dbgRealizado, platform::ui::VK_DOWN);
    EXPECT_FALSE(f.realized.cdsItemReti.active());
    EXPECT_DOUBLE_EQ(f.selectedDay(), march(2));
  });
  EXPECT_EQ(server.log->count("GetItemReti"), 0);
}

TEST_F(ScreenTest, PlannedVersusRealizedSwitchesAtBlockDate) {
  const double third = 1.0 / 3;
  server.days[4].diners = 3;
  server.days[4].material = 1;
  server.days[4].consumption = server.days[4].indirect = 0;
  const struct {
    double processing;  // blockDate is the next day
    std::vector<std::string> kinds;
    std::vector<double> costs;
    std::vector<double> diners;
    std::vector<double> perDiner;
  } cases[] = {
      {march(3),
       {"S", "S", "N", "N", "N"},
       {110.5, 140.25, 100, 275, 1},
       {38, 45, 0, 100, 3},
       {110.5 / 38, 140.25 / 45, 0, 2.75, third}},
      {march(1) - 2,
       {"N", "N", "N", "N", "N"},
       {125, 160, 100, 275, 1},
       {40, 50, 0, 100, 3},
       {3.125, 3.2, 0, 2.75, third}},
      // Days after the last realized one have no realized row: cost and diners 0.
      {march(31),
       {"S", "S", "S", "S", "S"},
       {110.5, 140.25, 0, 0, 0},
       {38, 45, 0, 0, 0},
       {110.5 / 38, 140.25 / 45, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    shell.processingDate = c.processing;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      ASSERT_TRUE(d.selectPage(f.tshPlanReal));
      std::vector<std::string> kinds;
      for (const Variant& v : column(f.realized.cdsPlanReal, "IDREAL"))
        kinds.push_back(v.toString());
      EXPECT_EQ(kinds, c.kinds);
      EXPECT_EQ(numbers(f.realized.cdsPlanReal, "CUSTO"), c.costs);
      EXPECT_EQ(numbers(f.realized.cdsPlanReal, "QTCOMENSAIS"), c.diners);
      EXPECT_EQ(numbers(f.realized.cdsPlanReal, "VRCUSTOPER"), c.perDiner);
      double cost = 0, diners = 0;
      const auto accumulated = numbers(f.realized.cdsPlanReal, "CUSTOACUM");
      const auto average = numbers(f.realized.cdsPlanReal, "VRCUSTOMEDIO");
      for (size_t i = 0; i < c.costs.size(); ++i) {
        cost += c.costs[i];
        diners += c.diners[i];
        EXPECT_DOUBLE_EQ(accumulated[i], cost) << i;
        EXPECT_DOUBLE_EQ(average[i], diners == 0 ? 0 : cost / diners) << i;
      }
      EXPECT_EQ(f.realized.cdsPlanReal.recNo(), 1);
      EXPECT_FALSE(f.realized.cdsRealizado.filtered());
      EXPECT_FALSE(f.cost.cdsTrabCusto.controlsDisabled());
      EXPECT_EQ(f.realized.cdsPlanReal.fieldByName("VRCUSTOPER").displayText(),
                platform::formatFloat("#,##0.00000", c.perDiner[0]));
    });
  }
}

TEST_F(ScreenTest, RealizedLinesArePaintedRed) {
  using namespace platform::ui;
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.selectPage(f.tshPlanReal);
    const struct {
      int row;
      const char* field;
      bool selected;
      Color font;
      int x;
    } cases[] = {{1, "CUSTO", false, Color::rgb(255, 0, 0), 300 - 2 - 7 * 9},
                 {3, "CUSTO", false, clWindowText, 300 - 2 - 7 * 9},
                 {1, "CUSTO", true, clHighlightText, 300 - 2 - 7 * 9},
                 {1, "DTCARDAPIO", false, Color::rgb(255, 0, 0), 203}};
    for (const auto& c : cases) {
      RecordingCanvas canvas;
      const int col = f.realized.dbgPlanReal->columnIndexOf(c.field);
      f.realized.cdsPlanReal.withDisplayRow(c.row, [&] {
        f.realized.dbgPlanRealDrawColumnCell(
            canvas, {200, 10, 300, 28}, col, f.realized.dbgPlanReal->column(col),
            c.selected ? GridDrawState{DrawFlag::Selected} : GridDrawState{});
      });
      EXPECT_EQ(canvas.lastText()->font, c.font) << c.row << c.field;
      EXPECT_EQ(canvas.lastText()->x, c.x) << c.row << c.field;
      EXPECT_EQ(canvas.lastText()->y, 13);
    }
  });
}

}  // namespace
}  // namespace screentest
