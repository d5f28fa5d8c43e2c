// The chart buttons on the demo month: every chart row against the server's daily costs and
// realized days, computed here from the packets.
#include <cstdint>
#include <map>

#include "e2e_fixture.h"
#include "platform/consiste.h"

namespace e2e {
namespace {

using platform::DataPacket;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using screentest::column;
using screentest::Driver;

double r5(double v) {
  return Consiste::RoundDec(v, 5);
}

TEST_F(E2ETest, ChartsFollowTheServersDailyCostsAndRealizedDays) {
  const DataPacket days = aprilCosts("0001", "00001", 6)[1].packet();
  const DataPacket realized =
      call("GetRealizado", {Variant("0001"), Variant("00001"), Variant::date(kApril1), Variant(1),
                            Variant(false), Variant::date(0), Variant("")})
          .packet();
  std::map<double, std::pair<double, double>> realizedByDay;  // cost, served diners
  for (size_t i = 0; i < realized.rows.size(); ++i)
    realizedByDay[realized.value(i, "DTCARDAPIO").toDouble()] = {num(realized, i, "CUSTO"),
                                                                 num(realized, i, "QTCOMEFETCAR")};
  ASSERT_GT(realizedByDay.size(), 0u);

  // Chart screens that read the rows of the dataset their handle names, as the real ones do.
  std::map<std::string, int> rowsRead;
  for (const char* code : {"RCX00511", "RCX00512", "RCX00513"}) {
    registry->registerScreen(code, [&rowsRead, code](const Variant& params) {
      auto* chart =
          reinterpret_cast<platform::ClientDataSet*>(static_cast<intptr_t>(params[0].toInt64()));
      rowsRead[code] = chart->recordCount();
    });
  }
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.gotoDay(kApril1 + 20));
    ASSERT_TRUE(d.press(f.sbtCustos));
    const double standard = f.cost.nedCustoPadrao->GetNumber();
    ASSERT_TRUE(d.press(f.charts.sbtGrafCust));
    ASSERT_TRUE(d.press(f.charts.sbtPlanReal));
    ASSERT_TRUE(d.press(f.charts.sbtCustoAcum));
    EXPECT_DOUBLE_EQ(f.selectedDay(), kApril1 + 20);

    const std::vector<Variant> dates = column(f.charts.cdsGrafCust, "DTCARDAPIO");
    ASSERT_EQ(dates.size(), days.rows.size());
    const std::vector<Variant> perCapita = column(f.charts.cdsGrafCust, "VrCustGraf");
    const std::vector<Variant> real = column(f.charts.cdsGrafPlanReal, "VRPERCREAL");
    const std::vector<Variant> plannedAcc = column(f.charts.cdsCustoAcum, "VRTOTTACUM");
    const std::vector<Variant> realAcc = column(f.charts.cdsCustoAcum, "VRTOTRACUM");
    const std::vector<Variant> standardAcc = column(f.charts.cdsCustoAcum, "VrTotPadrao");
    double material = 0, consumption = 0, diners = 0, realizedSum = 0;
    for (size_t i = 0; i < days.rows.size(); ++i) {
      SCOPED_TRACE(i);
      const double day = days.value(i, "DTDATA").toDouble();
      const double dayDiners = num(days, i, "QTCOMESTICAR");
      const double total =
          num(days, i, "VRCUSTPRODMAT") + num(days, i, "VRCUSTOCONS") + num(days, i, "VRCUSTORAT");
      material += num(days, i, "VRCUSTPRODMAT");
      consumption += num(days, i, "VRCUSTOCONS");
      diners += dayDiners;
      const auto r = realizedByDay.find(day);
      const bool hasRealized = r != realizedByDay.end();
      realizedSum += hasRealized ? r->second.first : 0;

      EXPECT_DOUBLE_EQ(dates[i].toDouble(), day);
      EXPECT_DOUBLE_EQ(perCapita[i].toDouble(), dayDiners == 0 ? 0 : r5(total / dayDiners));
      EXPECT_DOUBLE_EQ(real[i].toDouble(), hasRealized && r->second.second > 0
                                               ? r5(r->second.first / r->second.second)
                                               : 0);
      EXPECT_NEAR(plannedAcc[i].toDouble(), r5(material) + r5(consumption), 1e-9);
      EXPECT_NEAR(realAcc[i].toDouble(), realizedSum, 1e-9);
      EXPECT_NEAR(standardAcc[i].toDouble(), standard * diners, 1e-9);
    }
  });
  EXPECT_EQ(host->modal.errors, std::vector<std::string>{});
  const int dayCount = static_cast<int>(days.rows.size());
  EXPECT_EQ(rowsRead, (std::map<std::string, int>{
                          {"RCX00511", dayCount}, {"RCX00512", dayCount}, {"RCX00513", dayCount}}));
}

}  // namespace
}  // namespace e2e
