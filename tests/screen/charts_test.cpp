// The chart buttons of the cost panel: each dataset against the daily table and the realized
// costs, the chart screens opened, and nothing the user sees moved.
#include <cstdint>
#include <map>
#include <stdexcept>

#include "platform/consiste.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::ClientDataSet;
using platform::Variant;
using screen::TfrmAnaCustRevRec;

// One chart row as plain numbers: day, then the values in field order.
using Rows = std::vector<std::vector<double>>;

Rows rowsOf(ClientDataSet& ds, const std::vector<std::string>& fields) {
  Rows rows;
  std::vector<std::vector<Variant>> columns;
  for (const std::string& f : fields)
    columns.push_back(column(ds, f));
  for (size_t r = 0; r < columns.at(0).size(); ++r) {
    std::vector<double> row;
    for (const auto& c : columns)
      row.push_back(c.at(r).toDouble());
    rows.push_back(row);
  }
  return rows;
}

class ChartsTest : public ScreenTest {
 protected:
  // The per-diner and running realized figures by day, from the scripted rows.
  double realizedPerDiner(double day) const {
    for (const RealizedRow& r : server.realized)
      if (r.day == day) return r.diners > 0 ? Consiste::RoundDec(r.cost / r.diners, 5) : 0;
    return 0;
  }
  double realizedCost(double day) const {
    for (const RealizedRow& r : server.realized)
      if (r.day == day) return r.cost;
    return 0;
  }
};

TEST_F(ChartsTest, EachChartHasOneRowPerDayAndLeavesTheScreenWhereItWas) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.press(f.sbtCustos));
    ASSERT_TRUE(d.selectPage(f.tshRealizado));
    ASSERT_TRUE(d.pressKey(*f.realized.dbgRealizado, platform::ui::VK_DOWN));
    const double day = f.selectedDay();
    ASSERT_DOUBLE_EQ(day, march(3));
    const int realizedRow = f.realized.cdsRealizado.recNo();
    const std::string caption = f.cost.grbCustoDia->caption();
    const double panelCost = f.cost.nedCustoCardReal->GetNumber();
    const double standard = f.cost.nedCustoPadrao->GetNumber();
    ASSERT_DOUBLE_EQ(standard, server.standardCost);

    // Expected rows from the daily table as loaded and the scripted realized rows.
    Rows perCapita;
    Rows planReal;
    Rows accumulated;
    double realizedSum = 0;
    const Rows days = rowsOf(f.cost.cdsTrabCusto, {"DTDATA", "VRTOTPERC", "QTCOMESACU",
                                                   "VRCUSTMATACU", "VRCUSTOCONSACU"});
    ASSERT_EQ(days.size(), server.days.size());
    for (const auto& t : days) {
      perCapita.push_back({t[0], standard, t[1]});
      planReal.push_back({t[0], standard, t[1], realizedPerDiner(t[0])});
      realizedSum += realizedCost(t[0]);
      accumulated.push_back({t[0], standard * t[2], t[3] + t[4], realizedSum});
    }
    std::map<std::string, int> before = server.log->counts();

    for (int click = 0; click < 2; ++click) {
      SCOPED_TRACE(click);
      shell.screensOpened.clear();
      ASSERT_TRUE(d.press(f.charts.sbtGrafCust));
      ASSERT_TRUE(d.press(f.charts.sbtPlanReal));
      ASSERT_TRUE(d.press(f.charts.sbtCustoAcum));
      EXPECT_EQ(rowsOf(f.charts.cdsGrafCust, {"DTCARDAPIO", "VrPadrao", "VrCustGraf"}), perCapita);
      EXPECT_EQ(
          rowsOf(f.charts.cdsGrafPlanReal, {"DTCARDAPIO", "VrPadrao", "VRPERCPLAN", "VRPERCREAL"}),
          planReal);
      EXPECT_EQ(
          rowsOf(f.charts.cdsCustoAcum, {"DTCARDAPIO", "VrTotPadrao", "VRTOTTACUM", "VRTOTRACUM"}),
          accumulated);

      const auto handle = [](ClientDataSet& ds) {
        return Variant(static_cast<int64_t>(reinterpret_cast<intptr_t>(&ds)));
      };
      ASSERT_EQ(shell.screensOpened.size(), 3u);
      EXPECT_EQ(shell.screensOpened[0].first, "RCX00511");
      EXPECT_EQ(shell.screensOpened[0].second, Variant::array({handle(f.charts.cdsGrafCust)}));
      EXPECT_EQ(shell.screensOpened[1].first, "RCX00512");
      EXPECT_EQ(shell.screensOpened[1].second, Variant::array({handle(f.charts.cdsGrafPlanReal),
                                                               Variant("0001"), Variant("00001")}));
      EXPECT_EQ(shell.screensOpened[2].first, "RCX00513");
      EXPECT_EQ(shell.screensOpened[2].second, Variant::array({handle(f.charts.cdsCustoAcum)}));

      EXPECT_DOUBLE_EQ(f.selectedDay(), day);
      EXPECT_EQ(f.realized.cdsRealizado.recNo(), realizedRow);
      EXPECT_FALSE(f.realized.cdsRealizado.filtered());
      EXPECT_EQ(f.cost.grbCustoDia->caption(), caption);
      EXPECT_DOUBLE_EQ(f.cost.nedCustoCardReal->GetNumber(), panelCost);
      EXPECT_FALSE(host->busy.visible());
    }
    // Only the realized costs were loaded again, once per realized chart; no day was loaded.
    std::map<std::string, int> after = server.log->counts();
    EXPECT_EQ(after["GetRealizado"], before["GetRealizado"] + 4);
    after["GetRealizado"] = before["GetRealizado"];
    EXPECT_EQ(after, before);
  });
  EXPECT_TRUE(host->errors.texts().empty());
}

// A failed reload of the realized costs is not reported: the chart uses the rows held before.
TEST_F(ChartsTest, AFailedRealizedReloadBuildsFromTheRowsHeld) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.press(f.sbtCustos));
    (*server.script)["GetRealizado"] = [](const auto&) -> Variant {
      throw std::runtime_error("conexão perdida");
    };
    shell.screensOpened.clear();
    ASSERT_TRUE(d.press(f.charts.sbtPlanReal));
    const std::vector<Variant> real = column(f.charts.cdsGrafPlanReal, "VRPERCREAL");
    ASSERT_EQ(real.size(), server.days.size());
    EXPECT_DOUBLE_EQ(real[0].toDouble(), realizedPerDiner(march(2)));
    EXPECT_DOUBLE_EQ(real[1].toDouble(), realizedPerDiner(march(3)));
    EXPECT_EQ(shell.screensOpened.size(), 1u);
    EXPECT_FALSE(host->busy.visible());
  });
  EXPECT_TRUE(host->errors.texts().empty());
}

}  // namespace
}  // namespace screentest
