// The cost panel: planned figures of the day and the month, realized figures of closed days.
#include "platform/format.h"
#include "platform/ui/color.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using platform::ui::clBtnFace;
using platform::ui::Color;
using screen::TfrmAnaCustRevRec;

TEST_F(ScreenTest, PanelShowsTheDayAndTheMonthAgainstTheStandard) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.gotoDay(march(5));
    ASSERT_TRUE(d.press(f.sbtCustos));
    EXPECT_TRUE(f.cost.panCusto->visible());
    const struct {
      platform::ui::NumberEdit* edit;
      double value;
    } expected[] = {
        {f.cost.nedMatPriPerc, 2},       {f.cost.nedConsPerc, 0.5},
        {f.cost.nedPercDia, 2.75},       {f.cost.nedPadrPerc, 3.5},
        {f.cost.nedSaldoPerc, 0.75},     {f.cost.nedMatPriMes, 660.5},
        {f.cost.nedConsMes, 122.25},     {f.cost.nedTotalMes, 782.75},
        {f.cost.nedPadrMens, 3500},      {f.cost.nedSaldoMes, 2717.25},
        {f.cost.nedMatPriCardPlan, 200}, {f.cost.nedConsCardPlan, 50},
        {f.cost.nedCustoCardPlan, 250},  {f.cost.nedMatPriAcuPlan, 510},
        {f.cost.nedConsAcuPlan, 110},    {f.cost.nedTotalTAcum, 620},
        {f.cost.nedEstimados, 190},      {f.cost.nedPuMedioTeor, 3.47368},
        {f.cost.nedCustoCardReal, 0},    {f.cost.nedTotalRAcum, 0},
        {f.cost.nedEfetivos, 0},         {f.cost.nedPuMedioReal, 0},
    };
    for (const auto& e : expected)
      EXPECT_DOUBLE_EQ(e.edit->GetNumber(), e.value) << e.edit->name();
    EXPECT_EQ(f.cost.grbCustoDia->caption(), "Dia 05/03/2026");
    EXPECT_EQ(f.cost.grbCustTotaDia->caption(), "Dia 05/03/2026");
    EXPECT_EQ(f.cost.grbCustoAcum->caption(), "Acumulado até 05/03/2026");
    EXPECT_EQ(f.cost.nedSaldoPerc->text(), "0,75000");
    // On "Planejado" the realized column is off.
    EXPECT_FALSE(f.cost.nedCustoCardReal->enabled());
    EXPECT_FALSE(f.cost.lblRealAcum->enabled());
  });
  EXPECT_EQ(server.log->last("GetComensPlan"),
            (std::vector<Variant>{Variant("0001"), Variant("00001"), Variant::date(march(1))}));
}

TEST_F(ScreenTest, BalancesBelowZeroTurnRed) {
  const Color red = Color::rgb(255, 0, 0);
  const struct {
    double standard;
    double plannedDiners;
    Color day;
    Color month;
  } cases[] = {{3.5, 1000, clBtnFace, clBtnFace},
               {2.0, 1000, red, clBtnFace},
               {2.75, 1000, clBtnFace, clBtnFace},  // a balance of exactly 0
               {3.5, 100, clBtnFace, red},
               {3.5, 223.64285714285714, clBtnFace, clBtnFace}};
  for (const auto& c : cases) {
    server.standardCost = c.standard;
    server.plannedDiners = c.plannedDiners;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      d.gotoDay(march(5));
      d.press(f.sbtCustos);
      EXPECT_EQ(f.cost.nedSaldoPerc->color(), c.day) << c.standard << " " << c.plannedDiners;
      EXPECT_EQ(f.cost.nedSaldoMes->color(), c.month) << c.standard << " " << c.plannedDiners;
    });
  }
}

TEST_F(ScreenTest, HiddenPanelOnlySetsTheRealizedColumnEnabling) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    d.gotoDay(march(5));
    d.gotoDay(march(2));
    d.selectPage(f.tshRealizado);
    EXPECT_TRUE(f.cost.nedCustoCardReal->enabled());
    EXPECT_DOUBLE_EQ(f.cost.nedMatPriPerc->GetNumber(), 0);
  });
  EXPECT_EQ(server.log->count("GetComensPlan"), 0);
}

TEST_F(ScreenTest, RealizedPageShowsRealizedValuesOfClosedDaysOnly) {
  const struct {
    double processing;  // blockDate is the next day
    int realizedRow;
    bool closed;
  } cases[] = {{march(3), 1, true}, {march(3), 2, true}, {march(2), 2, false}};
  for (const auto& c : cases) {
    shell.processingDate = c.processing;
    open([&](TfrmAnaCustRevRec& f, Driver& d) {
      d.press(f.sbtCustos);
      d.selectPage(f.tshRealizado);
      if (c.realizedRow == 2) d.pressKey(*f.realized.dbgRealizado, platform::ui::VK_DOWN);
      // The daily cost table follows the realized day.
      EXPECT_DOUBLE_EQ(f.selectedDay(), march(1 + c.realizedRow));
      const double cost = c.realizedRow == 1 ? 110.5 : 140.25;
      const double accumulated = c.realizedRow == 1 ? 110.5 : 250.75;
      const double diners = c.realizedRow == 1 ? 38 : 83;
      EXPECT_DOUBLE_EQ(f.cost.nedCustoCardReal->GetNumber(), c.closed ? cost : 0);
      EXPECT_DOUBLE_EQ(f.cost.nedTotalRAcum->GetNumber(), c.closed ? accumulated : 0);
      EXPECT_DOUBLE_EQ(f.cost.nedEfetivos->GetNumber(), c.closed ? diners : 0);
      EXPECT_DOUBLE_EQ(f.cost.nedPuMedioReal->GetNumber(),
                       c.closed ? Consiste::RoundDec(accumulated / diners, 5) : 0);
      for (platform::ui::Control* c2 : std::initializer_list<platform::ui::Control*>{
               f.cost.lblRealizado, f.cost.nedCustoCardReal, f.cost.lblRealAcum,
               f.cost.nedTotalRAcum, f.cost.nedEfetivos, f.cost.nedPuMedioReal})
        EXPECT_EQ(c2->enabled(), c.closed) << c2->name();
      EXPECT_EQ(f.cost.grbCustoDia->caption(),
                "Dia " + platform::shortDate(march(1 + c.realizedRow)));
    });
  }
}

TEST_F(ScreenTest, RealizedPageOfAMonthWithoutRealizedDaysNamesNoDay) {
  server.realized.clear();
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.press(f.sbtCustos));
    ASSERT_TRUE(d.selectPage(f.tshRealizado));
    EXPECT_EQ(f.cost.grbCustoDia->caption(), "Dia ");
    EXPECT_EQ(f.cost.grbCustTotaDia->caption(), "Dia ");
    EXPECT_EQ(f.cost.grbCustoAcum->caption(), "Acumulado até ");
    EXPECT_DOUBLE_EQ(f.cost.nedCustoCardReal->GetNumber(), 0);
  });
  EXPECT_TRUE(host->errors.texts().empty());
}

// A failing refresh leaves the scroll handlers attached and the animation hidden.
TEST_F(ScreenTest, FailedPanelRefreshRestoresItsHandlers) {
  (*server.script)["GetComensPlan"] = [](const auto&) { return Variant("Mês não planejado"); };
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    EXPECT_FALSE(d.press(f.sbtCustos));
    EXPECT_EQ(host->errors.texts(), std::vector<std::string>{"Mês não planejado"});
    EXPECT_TRUE(static_cast<bool>(f.cost.cdsTrabCusto.afterScroll));
    EXPECT_TRUE(static_cast<bool>(f.realized.cdsRealizado.afterScroll));
    EXPECT_TRUE(static_cast<bool>(f.realized.cdsPlanReal.afterScroll));
    EXPECT_FALSE(host->busy.visible());
  });
}

}  // namespace
}  // namespace screentest
